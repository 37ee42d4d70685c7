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
    if (watched == parent() && event->type() == QEvent::Resize)
        place();
    return QWidget::eventFilter(watched, event);
}

void ProofBadge::place()
{
    if (auto *stage = parentWidget())
        move(8, stage->height() - height() - 8);
}

}  // namespace tessaly
