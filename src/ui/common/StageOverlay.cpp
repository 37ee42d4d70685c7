#include "ui/common/StageOverlay.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>

namespace tessaly {

StageOverlay::StageOverlay(QWidget *stage, std::function<double()> scale, std::function<void()> place, QObject *parent)
    : QObject(parent), m_stage(stage), m_scale(std::move(scale)), m_place(std::move(place))
{
    if (auto *mark = qobject_cast<QWidget *>(parent))
        setKind(mark, Kind::Mark);
    stage->installEventFilter(this);
}

namespace {
constexpr const char *kKindProperty = "tessalyStageMark";
}

void StageOverlay::setKind(QWidget *widget, Kind kind)
{
    widget->setProperty(kKindProperty, kind == Kind::Mark ? 1 : 2);
}

bool StageOverlay::isMark(const QWidget *widget)
{
    return widget->property(kKindProperty).toInt() == 1;
}

bool StageOverlay::rescaled()
{
    const double f = std::max(1.0, m_scale ? m_scale() : 1.0);
    if (f == m_factor)
        return false;
    m_factor = f;
    return true;
}

bool StageOverlay::eventFilter(QObject *watched, QEvent *event)
{
    const auto type = event->type();
    if (watched == m_stage) {
        if (type == QEvent::Resize) // after the stage has laid out its captions and buttons for the new size
            QMetaObject::invokeMethod(
                this, [this] { m_place(); }, Qt::QueuedConnection);
    } else if (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show || type == QEvent::Hide) {
        m_place();  // at once, before the slots are arranged around the marks
    }
    // The captions and buttons move as their texts change, the marquee comes and goes:
    // the marks follow them, never over their words.
    if (m_watched.isEmpty()) {
        for (const char *name : {"RzMarqueeStatus1", "Status", "Award", "boss", "readyLuck", "GoButton", "StopButton",
                                 "Image_Award", "GuestNumbers"})
            if (auto *w = m_stage->findChild<QWidget *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
                w && w != parent()) {
                w->installEventFilter(this);
                m_watched << w;
            }
    }
    return QObject::eventFilter(watched, event);
}

QPoint StageOverlay::clearOf(const QWidget *mark, QRect at, bool upwards, int limit) const
{
    const long long stageArea = static_cast<long long>(m_stage->width()) * m_stage->height();
    const int gap = px(4);
    for (bool moved = true; moved;) {
        moved = false;
        for (QObject *child : m_stage->children()) {
            auto *w = qobject_cast<QWidget *>(child);
            if (!w || w == mark || w->isWindow() || !w->isVisible())
                continue;
            const QRect g = w->geometry();
            if (2LL * g.width() * g.height() > stageArea || w->property(kKindProperty).toInt() == 2 ||
                !g.intersects(at))
                continue;  // a layer, or out of the way
            QRect next = at;
            if (upwards)
                next.moveBottom(g.top() - gap);
            else
                next.moveTop(g.bottom() + 1 + gap);
            if (upwards ? next.top() < limit : next.bottom() > limit)
                continue;
            at = next;
            moved = true;
        }
    }
    return at.topLeft();
}

}  // namespace tessaly
