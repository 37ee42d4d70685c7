// The tips window: how to run a draw and adjust the stage, shown at start
// unless the operator switched it off.
#pragma once

#include <QDialog>
#include <filesystem>

namespace Ui {
class TFrmSplash;
}

namespace tessaly {

class MessageService;

class TFrmSplash : public QDialog {
    Q_OBJECT
public:
    // fromMenu: opened from the help menu, so the window offers no check box.
    TFrmSplash(std::filesystem::path programDir, MessageService &messages, bool fromMenu, QWidget *parent = nullptr);
    ~TFrmSplash() override;

    static QString tipsText();

private:
    void CheckBox1Click(bool checked);

    Ui::TFrmSplash *m_ui;
    std::filesystem::path m_programDir;
    MessageService &m_messages;
};

}  // namespace tessaly
