// Changing the screen-lock password: the old one, the new one twice.
#pragma once

#include <QDialog>
#include <filesystem>
#include <optional>
#include <string>

namespace Ui {
class TForm_setmm;
}

namespace tessaly {

class MessageService;

class TForm_setmm : public QDialog {
    Q_OBJECT
public:
    TForm_setmm(std::filesystem::path programDir, MessageService &messages, QWidget *parent = nullptr);
    ~TForm_setmm() override;

private:
    void Button1Click();

    Ui::TForm_setmm *m_ui;
    std::filesystem::path m_programDir;
    MessageService &m_messages;
    std::optional<std::string> m_current;
};

}  // namespace tessaly
