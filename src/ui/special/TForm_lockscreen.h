// The screen lock: a modal window over the stage that only the password
// removes. While it is up it and the boxes it opens hold the keyboard and the
// pointer, so no key or click reaches the stage or the desktop, and neither
// Esc, Alt+F4 nor the window manager's close takes it down.
#pragma once

#include <QDialog>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace Ui {
class TForm_lockscreen;
}

namespace tessaly {

class LockGrab;
class MessageService;

class TForm_lockscreen : public QDialog {
    Q_OBJECT
public:
    TForm_lockscreen(std::filesystem::path programDir, MessageService &messages, QWidget *parent = nullptr);
    ~TForm_lockscreen() override;

    // False when set.dat could not be read: the screen is not locked then,
    // since nobody could unlock it.
    bool passwordKnown() const { return m_expected.has_value(); }

    // Runs the password change; tests replace it to fill that dialog in.
    std::function<void()> changePassword;

    void reject() override;
    // The window that holds the keyboard and the pointer now (the lock or a
    // box over it); nothing while the lock is not up.
    QWidget *grabHolder() const;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Button1Click();
    void Label4Click();
    void readPassword();
    void setLinkHover(bool over);

    Ui::TForm_lockscreen *m_ui;
    std::filesystem::path m_programDir;
    MessageService &m_messages;
    std::optional<std::string> m_expected;
    LockGrab *m_grab;
    bool m_unlocked = false;
    bool m_linkHover = false;
};

}  // namespace tessaly
