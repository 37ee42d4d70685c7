#include "ui/proof/ProofBadge.h"

#include "core/draw/DrawState.h"
#include "ui/proof/QrImage.h"

#include <QHBoxLayout>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace tessaly {

ProofBadge::ProofBadge(QWidget *stage, std::function<double()> scale)
    : QWidget(stage), m_overlay(new StageOverlay(stage, std::move(scale), [this] { place(); }, this))
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
    applyScale();
    hide();
}

void ProofBadge::applyScale()
{
    if (!m_overlay->rescaled())
        return;
    auto px = [this](int pixels) { return m_overlay->px(pixels); };
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
        m_qr->setPixmap(QPixmap::fromImage(qrImage(m_shownHex, m_overlay->px(2))));
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

void ProofBadge::place()
{
    auto *stage = parentWidget();
    if (!stage)
        return;
    applyScale();
    // It climbs above whatever else stands in the lower left corner (the marquee,
    // the status caption, the buttons), but never into the upper half of the stage.
    const int margin = m_overlay->px(8);
    move(m_overlay->clearOf(this, QRect(QPoint(margin, stage->height() - height() - margin), size()), true,
                            stage->height() / 2));
}

}  // namespace tessaly
