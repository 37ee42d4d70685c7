#include "ui/event/NoticeLine.h"

#include "core/event/OperatorNotices.h"
#include "ui/common/GbkText.h"

#include <QFontMetrics>

namespace tessaly {

NoticeLine::NoticeLine(OperatorNotices &notices, QWidget *bar) : QLabel(bar), m_notices(notices)
{
    setObjectName(QStringLiteral("NoticeLine"));
    setStyleSheet(QStringLiteral("QLabel#NoticeLine { color: #ffd27f; padding: 0 8px; font-size: 13px; }"));
    setTextFormat(Qt::PlainText);
    m_subscription = m_notices.subscribe([this](const OperatorNotice &) { refresh(); });
    refresh();
}

NoticeLine::~NoticeLine()
{
    m_notices.unsubscribe(m_subscription);
}

void NoticeLine::refresh()
{
    const auto &recent = m_notices.recent();
    if (recent.empty()) {
        clear();
        setToolTip({});
        hide();
        emit changed();
        return;
    }
    const OperatorNotice &last = recent.back();
    QString line = toQt(last.text);
    if (last.count > 1)
        line += QStringLiteral("（%1次）").arg(last.count);
    if (m_notices.unseen() > 1)
        line = QStringLiteral("[%1条新提示] ").arg(m_notices.unseen()) + line;
    setText(fontMetrics().elidedText(line, Qt::ElideRight, kMaxWidth));

    QStringList tip;
    for (auto it = recent.rbegin(); it != recent.rend(); ++it) {
        QString entry = QStringLiteral("%1:%2:%3  ")
                            .arg(it->time.hour)
                            .arg(it->time.minute, 2, 10, QLatin1Char('0'))
                            .arg(it->time.second, 2, 10, QLatin1Char('0'))
                      + toQt(it->text);
        if (it->count > 1)
            entry += QStringLiteral("（%1次）").arg(it->count);
        tip << entry;
    }
    setToolTip(tip.join(QLatin1Char('\n')));
    show();
    emit changed();
}

void NoticeLine::enterEvent(QEnterEvent *event)
{
    // The operator's pointer on the line counts as having read it.
    if (m_notices.unseen() > 0) {
        m_notices.markSeen();
        refresh();
    }
    QLabel::enterEvent(event);
}

}  // namespace tessaly
