// The access-code prompt that the open hot key shows; only the right code
// opens the special settings.
#pragma once

#include <QDialog>
#include <filesystem>
#include <functional>

namespace Ui {
class TForm_mm;
}

namespace tessaly {

class MessageService;

class TForm_mm : public QDialog {
    Q_OBJECT
public:
    // `openSettings` shows the special settings modally; the prompt closes when it returns.
    TForm_mm(std::filesystem::path programDir, MessageService &messages, std::function<void()> openSettings,
             QWidget *parent = nullptr);
    ~TForm_mm() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Button1Click();

    Ui::TForm_mm *m_ui;
    std::filesystem::path m_programDir;
    MessageService &m_messages;
    std::function<void()> m_openSettings;
};

}  // namespace tessaly
