#include "ui/event/RehearsalBadge.h"

#include <QEvent>

namespace tessaly {

RehearsalBadge::RehearsalBadge(QWidget *stage) : QLabel(QStringLiteral("彩排"), stage)
{
    setObjectName(QStringLiteral("LabelRehearsal"));
    setToolTip(QStringLiteral("彩排：抽奖结果只保存在临时副本中，关闭程序后丢弃"));
    setAlignment(Qt::AlignCenter);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setStyleSheet(QStringLiteral("QLabel { color: white; background: rgba(180, 30, 30, 200); border-radius: 4px;"
                                 " font-size: 14px; font-weight: bold; padding: 2px 8px; }"));
    adjustSize();
    stage->installEventFilter(this);
    place();
    show();
    raise();
}

bool RehearsalBadge::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && (event->type() == QEvent::Resize || event->type() == QEvent::ChildAdded))
        place();
    return QLabel::eventFilter(watched, event);
}

void RehearsalBadge::place()
{
    auto *stage = parentWidget();
    if (!stage)
        return;
    move(stage->width() - width() - 8, 8);
    raise();
}

}  // namespace tessaly
