// The arrangement dialog for batches over 20: entries per line, blanks
// between entries, top margin and line spacing of the text block.
#pragma once

#include "core/stage/TextMeasurer.h"

#include <QDialog>
#include <functional>

namespace Ui {
class TForm_changpo20;
}

namespace tessaly {

class MessageService;

class TForm_changpo20 : public QDialog {
    Q_OBJECT
public:
    struct Values {
        int rowLength = 9;
        int spacing = 2;
        int top = 100;
        bool blankLine = true;
    };
    // Applies the values to the text block and returns its new size.
    using Apply = std::function<TextSize(const Values &)>;

    TForm_changpo20(Values current, TextSize stage, Apply apply, MessageService &messages, QWidget *parent = nullptr);
    ~TForm_changpo20() override;

private:
    void Button1Click();

    Ui::TForm_changpo20 *m_ui;
    TextSize m_stage;
    Apply m_apply;
    MessageService &m_messages;
};

}  // namespace tessaly
