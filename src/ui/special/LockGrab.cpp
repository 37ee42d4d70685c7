#include "ui/special/LockGrab.h"

#include <QApplication>
#include <QEvent>
#include <QWindow>
#include <algorithm>

namespace tessaly {
namespace {

// A window is mapped a moment after it is shown; it is asked again this
// often, for at most this many times, to take the grab.
constexpr int kRetryMs = 20;
constexpr int kMaxRetries = 100;

}  // namespace

LockGrab::LockGrab(QWidget *lock) : QObject(lock), m_lock(lock)
{
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &LockGrab::grabForHolder);
}

LockGrab::~LockGrab()
{
    stop();
}

void LockGrab::start()
{
    if (m_active)
        return;
    m_active = true;
    // Windows are grabbed, not widgets: each key still goes to the focused
    // field and each click to the control under the pointer, as without a grab.
    qApp->installEventFilter(this);
    m_retries = 0;
    grabForHolder();
}

void LockGrab::stop()
{
    if (!m_active)
        return;
    m_active = false;
    m_retry.stop();
    qApp->removeEventFilter(this);
    if (QWidget *w = holder(); w && w->windowHandle()) {
        w->windowHandle()->setKeyboardGrabEnabled(false);
        w->windowHandle()->setMouseGrabEnabled(false);
    }
    m_over.clear();
}

QWidget *LockGrab::holder() const
{
    for (auto it = m_over.rbegin(); it != m_over.rend(); ++it)
        if (*it && (*it)->isVisible())
            return *it;
    return m_lock;
}

bool LockGrab::openedFromLock(const QWidget *window) const
{
    for (const QWidget *w = window->parentWidget(); w; w = w->parentWidget())
        if (w == m_lock)
            return true;
    return false;
}

void LockGrab::grabForHolder()
{
    if (!m_active)
        return;
    QWidget *w = holder();
    QWindow *window = w ? w->windowHandle() : nullptr;
    // A failed grab leaves the one before in place, so the lock keeps
    // everything until the new window can take it.
    const bool held = window && window->setKeyboardGrabEnabled(true) && window->setMouseGrabEnabled(true);
    // A window on screen that still cannot take it is on a platform without grabs.
    const bool refused = window && window->isExposed() && m_retries >= 3;
    if (held || refused || ++m_retries > kMaxRetries)
        return;
    m_retry.start(kRetryMs);
}

void LockGrab::dropClosed()
{
    m_over.erase(std::remove_if(m_over.begin(), m_over.end(), [](const QPointer<QWidget> &w) { return !w || !w->isVisible(); }),
                 m_over.end());
}

bool LockGrab::eventFilter(QObject *watched, QEvent *event)
{
    if (!watched->isWidgetType())
        return false;
    auto *w = static_cast<QWidget *>(watched);
    if (!w->isWindow())
        return false;
    switch (event->type()) {
    case QEvent::Show:
        // Menus and tooltips take the grab themselves and give it up when
        // they close; boxes and dialogs opened from the lock get it from here.
        if (w != m_lock && !(w->windowType() == Qt::Popup || w->windowType() == Qt::ToolTip) && openedFromLock(w) &&
            std::find(m_over.begin(), m_over.end(), w) == m_over.end()) {
            m_over.emplace_back(w);
            m_retries = 0;
            grabForHolder();
        }
        break;
    case QEvent::Close:
        // Handed back before the window goes, so no moment is left without a
        // grab; should the window refuse to close it takes the grab again.
        if (w == holder() && w != m_lock) {
            const auto it = std::find(m_over.begin(), m_over.end(), w);
            if (it != m_over.end()) {
                m_over.erase(it);
                m_retries = 0;
                grabForHolder();
                m_over.emplace_back(w);
                QTimer::singleShot(0, this, [this] {
                    dropClosed();
                    m_retries = 0;
                    grabForHolder();
                });
            }
        }
        break;
    case QEvent::Hide:
        // Also after a menu: closing one lets go of every grab of the program.
        if (w != m_lock) {
            dropClosed();
            m_retries = 0;
            grabForHolder();
        }
        break;
    default:
        break;
    }
    return false;
}

}  // namespace tessaly
