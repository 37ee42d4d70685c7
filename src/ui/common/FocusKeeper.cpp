#include "ui/common/FocusKeeper.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace tessaly {
namespace {

// Dialogs and windows whose owner chain reaches `window`; menus and tool tips do not count.
bool opensOver(const QWidget *w, const QWidget *window)
{
    if (!w->isWindow() || w == window)
        return false;
    const Qt::WindowType type = w->windowType();
    if (type != Qt::Dialog && type != Qt::Window && type != Qt::Sheet)
        return false;
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (p == window)
            return true;
    return false;
}

}  // namespace

FocusKeeper::FocusKeeper(QWidget *window, std::function<void()> restored)
    : QObject(window), m_window(window), m_restored(std::move(restored))
{
    qApp->installEventFilter(this);
}

FocusKeeper::~FocusKeeper()
{
    qApp->removeEventFilter(this);
}

bool FocusKeeper::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Hide && watched->isWidgetType() &&
        opensOver(static_cast<QWidget *>(watched), m_window)) {
        // After the box is gone and any nested loop has returned.
        QTimer::singleShot(0, this, &FocusKeeper::restore);
    }
    return false;
}

void FocusKeeper::restore()
{
    if (!m_window->isVisible() || QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return;
    // Another window over this one (the results, the winners) keeps the keyboard.
    for (const QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && opensOver(w, m_window))
            return;
    m_window->activateWindow();
    m_window->raise();
    m_window->setFocus(Qt::OtherFocusReason);
    if (m_restored)
        m_restored();
}

}  // namespace tessaly
