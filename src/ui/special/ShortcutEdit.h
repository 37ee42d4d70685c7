// A field that takes a key combination as the operator presses it and holds
// it as a shortcut code (virtual key plus 8192 Shift, 16384 Ctrl, 32768 Alt).
#pragma once

#include <QLineEdit>

namespace tessaly {

class ShortcutEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit ShortcutEdit(QWidget *parent = nullptr);

    int code() const { return m_code; }
    void setCode(int code);

    // The combination as the field shows it, such as "Ctrl+Alt+U".
    static QString describe(int code);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    int m_code = 0;
};

}  // namespace tessaly
