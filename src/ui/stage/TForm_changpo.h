// The arrangement dialog for batches of up to 20 slots: columns, gap and
// margins, stored as the grid layout of the batch size.
#pragma once

#include "core/stage/TextMeasurer.h"

#include <QDialog>
#include <filesystem>

namespace Ui {
class TForm_changpo;
}

namespace tessaly {

class MessageService;

class TForm_changpo : public QDialog {
    Q_OBJECT
public:
    struct Context {
        std::filesystem::path programDir;
        int batchSize = 1;
        TextSize stage;
        TextSize slot;      // the longest entry in the slot font
        int titleBase = 100;  // 50 pixels below the lower title, or 100
    };

    TForm_changpo(Context context, MessageService &messages, QWidget *parent = nullptr);
    ~TForm_changpo() override;

private:
    void Edit1Change();
    void Button1Click();

    Ui::TForm_changpo *m_ui;
    Context m_context;
    MessageService &m_messages;
};

}  // namespace tessaly
