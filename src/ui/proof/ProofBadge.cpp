#include "ui/proof/ProofBadge.h"

#include "core/draw/DrawState.h"
#include "ui/proof/QrImage.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPixmap>

namespace tessaly {

ProofBadge::ProofBadge(QWidget *stage) : QWidget(stage)
{
    setObjectName(QStringLiteral("ProofBadge"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#ProofBadge { background: rgba(0, 0, 0, 150); border-radius: 4px; }"
                                 "QLabel { color: white; font-family: monospace; font-size: 13px; }"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 8, 6);
    layout->setSpacing(8);
    m_qr = new QLabel(this);
    m_text = new QLabel(this);
    m_text->setTextFormat(Qt::PlainText);
    layout->addWidget(m_qr);
    layout->addWidget(m_text);
    stage->installEventFilter(this);
    hide();
}

void ProofBadge::showProof(const StageCaptions &c)
{
    if (c.proofCode.empty()) {
        hide();
        return;
    }
    const QString hex = QString::fromStdString(c.proofHex);
    if (hex != m_shownHex) {
        m_shownHex = hex;
        m_qr->setPixmap(QPixmap::fromImage(qrImage(hex, 2)));
    }
    QString text = QStringLiteral("抽奖承诺\n") + QString::fromStdString(c.proofCode.substr(0, 19)) + QLatin1Char('\n') +
                   QString::fromStdString(c.proofCode.substr(std::min<size_t>(20, c.proofCode.size())));
    text += QStringLiteral("\n校验值 ") + QString::fromStdString(c.chainHash);
    m_text->setText(text);
    adjustSize();
    place();
    show();
    raise();
}

bool ProofBadge::eventFilter(QObject *watched, QEvent *event)
{
    const auto type = event->type();
    if ((watched == parent() && type == QEvent::Resize) ||
        (watched == m_marquee && (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show ||
                                  type == QEvent::Hide)))
        // After the stage has laid out its captions and buttons for the new size.
        QMetaObject::invokeMethod(this, &ProofBadge::place, Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}

void ProofBadge::place()
{
    auto *stage = parentWidget();
    if (!stage)
        return;
    // The winners' marquee runs along the bottom: the badge stands above it, never over its names.
    if (!m_marquee) {
        m_marquee = stage->findChild<QWidget *>(QStringLiteral("RzMarqueeStatus1"), Qt::FindDirectChildrenOnly);
        if (m_marquee)
            m_marquee->installEventFilter(this);
    }
    // It climbs above whatever else stands in the lower left corner (the marquee,
    // the status caption, the buttons), but never into the upper half of the stage.
    QRect at(QPoint(8, stage->height() - height() - 8), size());
    const long long stageArea = static_cast<long long>(stage->width()) * stage->height();
    for (bool moved = true; moved;) {
        moved = false;
        for (QObject *child : stage->children()) {
            auto *w = qobject_cast<QWidget *>(child);
            if (!w || w == this || w->isWindow() || !w->isVisible())
                continue;
            const QRect g = w->geometry();
            if (2LL * g.width() * g.height() > stageArea || !g.intersects(at))
                continue;  // a layer over the whole stage, or out of the way
            QRect up = at;
            up.moveBottom(g.top() - 4);
            if (up.top() < stage->height() / 2)
                continue;
            at = up;
            moved = true;
        }
    }
    move(at.topLeft());
}

}  // namespace tessaly
