#include "ui/proof/ProofBadge.h"

#include "core/draw/DrawState.h"
#include "ui/proof/QrImage.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace tessaly {

ProofBadge::ProofBadge(QWidget *stage, std::function<double()> scale) : QWidget(stage), m_scale(std::move(scale))
{
    setObjectName(QStringLiteral("ProofBadge"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_StyledBackground);
    auto *layout = new QHBoxLayout(this);
    m_qr = new QLabel(this);
    m_text = new QLabel(this);
    m_text->setTextFormat(Qt::PlainText);
    layout->addWidget(m_qr);
    layout->addWidget(m_text);
    stage->installEventFilter(this);
    applyScale();
    hide();
}

void ProofBadge::applyScale()
{
    const double f = std::max(1.0, m_scale ? m_scale() : 1.0);
    if (f == m_factor)
        return;
    m_factor = f;
    auto px = [f](int pixels) { return static_cast<int>(std::lround(pixels * f)); };
    setStyleSheet(QStringLiteral("#ProofBadge { background: rgba(0, 0, 0, 150); border-radius: %1px; }"
                                 "QLabel { color: white; font-family: monospace; font-size: %2px; }")
                      .arg(px(4))
                      .arg(px(13)));
    layout()->setContentsMargins(px(6), px(6), px(8), px(6));
    layout()->setSpacing(px(8));
    showCode();
    adjustSize();
}

void ProofBadge::showCode()
{
    // Whole pixels to a module keep the code sharp for a phone's camera.
    if (!m_shownHex.isEmpty())
        m_qr->setPixmap(QPixmap::fromImage(qrImage(m_shownHex, std::max(2, static_cast<int>(std::lround(2 * m_factor))))));
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
        showCode();
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
    if (watched == parent()) {
        if (type == QEvent::Resize)  // after the stage has laid out its captions and buttons for the new size
            QMetaObject::invokeMethod(this, &ProofBadge::place, Qt::QueuedConnection);
    } else if (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show || type == QEvent::Hide) {
        place();  // at once, before the slots are arranged around it
    }
    return QWidget::eventFilter(watched, event);
}

void ProofBadge::place()
{
    auto *stage = parentWidget();
    if (!stage)
        return;
    applyScale();
    // The winners' marquee runs along the bottom, and the captions and buttons
    // move as their texts change: the badge follows them, never over their words.
    if (m_watched.isEmpty()) {
        for (const char *name : {"RzMarqueeStatus1", "Status", "Award", "boss", "GoButton", "StopButton", "Image_Award"})
            if (auto *w = stage->findChild<QWidget *>(QLatin1String(name), Qt::FindDirectChildrenOnly)) {
                w->installEventFilter(this);
                m_watched << w;
            }
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
