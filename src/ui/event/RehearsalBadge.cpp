#include "ui/event/RehearsalBadge.h"

#include <QEvent>

namespace tessaly {

RehearsalBadge::RehearsalBadge(QWidget *stage, std::function<double()> scale)
    : QLabel(QStringLiteral("彩排"), stage),
      m_overlay(new StageOverlay(stage, std::move(scale), [this] { place(); }, this))
{
    setObjectName(QStringLiteral("LabelRehearsal"));
    setToolTip(QStringLiteral("彩排：抽奖结果只保存在临时副本中，关闭程序后丢弃"));
    setAlignment(Qt::AlignCenter);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    stage->installEventFilter(this);
    place();
    show();
    raise();
}

bool RehearsalBadge::eventFilter(QObject *watched, QEvent *event)
{
    // Above whatever the stage adds later.
    if (watched == parent() && event->type() == QEvent::ChildAdded)
        raise();
    return QLabel::eventFilter(watched, event);
}

void RehearsalBadge::place()
{
    auto *stage = parentWidget();
    if (!stage)
        return;
    if (m_overlay->rescaled()) {
        auto px = [this](int pixels) { return m_overlay->px(pixels); };
        setStyleSheet(QStringLiteral("QLabel { color: white; background: rgba(180, 30, 30, 200); border-radius: %1px;"
                                     " font-size: %2px; font-weight: bold; padding: %3px %4px; }")
                          .arg(px(4))
                          .arg(px(14))
                          .arg(px(2))
                          .arg(px(8)));
        adjustSize();
    }
    const int margin = m_overlay->px(8);
    move(m_overlay->clearOf(this, QRect(QPoint(stage->width() - width() - margin, margin), size()), false,
                            stage->height() / 2));
    raise();
}

}  // namespace tessaly
