// Keeps the keyboard and the pointer inside the screen lock. The lock holds
// them while it is up; a window opened from it (a message box, the password
// change, a box over that) takes them while it is shown and hands them back
// when it closes, so at no moment does a key or a click reach anything else.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <vector>

namespace tessaly {

class LockGrab : public QObject {
    Q_OBJECT
public:
    explicit LockGrab(QWidget *lock);
    ~LockGrab() override;

    // From when the lock is on screen until it is unlocked.
    void start();
    void stop();
    bool active() const { return m_active; }
    // The window that holds the keyboard and the pointer now: the lock, or
    // the last window opened over it that is still shown.
    QWidget *holder() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool openedFromLock(const QWidget *window) const;
    // Gives the grab to the holder; a window the desktop has not mapped yet
    // cannot take it, so that is tried again shortly.
    void grabForHolder();
    void dropClosed();

    QPointer<QWidget> m_lock;
    std::vector<QPointer<QWidget>> m_over;  // windows opened over the lock, oldest first
    QTimer m_retry;
    int m_retries = 0;
    bool m_active = false;
};

}  // namespace tessaly
