#include "ui/console/ProofFields.h"

#include "core/draw/DrawSession.h"
#include "ui/console/TFrmConsole.h"
#include "ui/control/DrawControl.h"
#include "ui/proof/GuestNumbersDialog.h"

#include <QFontDatabase>
#include <QLabel>
#include <QTimer>

namespace tessaly {

ProofFields::ProofFields(TFrmConsole &console, DrawControl &control)
    : QObject(&console), m_console(console), m_control(control)
{
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_commitment = m_console.addField(QStringLiteral("抽奖承诺："));
    m_commitment->setObjectName(QStringLiteral("CommitmentValue"));
    m_commitment->setToolTip(QStringLiteral("抽奖结束后按“揭示种子”公开种子，任何人都可以据此核对全部中奖结果"));
    m_chain = m_console.addField(QStringLiteral("校验值："));
    m_chain->setObjectName(QStringLiteral("ChainHashValue"));
    for (QLabel *l : {m_commitment, m_chain}) {
        QFont f = fixed;
        f.setPointSizeF(l->font().pointSizeF());
        l->setFont(f);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    m_guests = m_console.addField(QStringLiteral("来宾数字："));
    m_guests->setObjectName(QStringLiteral("GuestNumbersValue"));
    m_guests->setWordWrap(true);
    m_guests->setTextFormat(Qt::RichText);
    connect(m_guests, &QLabel::linkActivated, this, &ProofFields::openGuests);
    m_seed = m_console.addField(QStringLiteral("种子："));
    m_seed->setObjectName(QStringLiteral("SeedValue"));
    m_seed->setTextFormat(Qt::RichText);
    connect(m_seed, &QLabel::linkActivated, this, [this] {
        m_control.reveal();
        refresh();
    });
    connect(&m_control, &DrawControl::happened, this, &ProofFields::refresh);
    // The chain moves with every save, not only with the events the console observes.
    auto *timer = new QTimer(this);
    timer->setInterval(1000);
    connect(timer, &QTimer::timeout, this, &ProofFields::refresh);
    timer->start();
    refresh();
}

void ProofFields::refresh()
{
    DrawSession &s = m_control.session();
    const StageCaptions &c = s.captions();
    const QString code = QString::fromStdString(c.proofCode);
    m_commitment->setText(code.isEmpty() ? QStringLiteral("—（没有抽奖承诺，请重新开始抽奖）") : code);
    m_chain->setText(c.chainHash.empty() ? QStringLiteral("—") : QString::fromStdString(c.chainHash));

    const GuestStep &step = s.guestStep();
    QStringList numbers;
    for (const auto &n : step.numbers)
        numbers << QString::fromStdString(n);
    QString text;
    if (s.proof().revealed())
        text = QStringLiteral("—");
    else if (step.open)
        text = (numbers.isEmpty() ? QStringLiteral("等待来宾输入") : numbers.join(QStringLiteral("、"))) +
               QStringLiteral("（开始滚动时生效） <a href=\"guests\">继续输入...</a>");
    else if (c.proofCode.empty())
        text = QStringLiteral("—");
    else
        text = QStringLiteral("<a href=\"guests\">请来宾输入数字...</a>（在本奖项第一次开始前）");
    if (m_guests->text() != text)
        m_guests->setText(text);

    QString seed;
    if (s.proof().revealed())
        seed = QStringLiteral("已揭示，本次抽奖已结束（重新开始抽奖将生成新的承诺）");
    else if (c.proofCode.empty())
        seed = QStringLiteral("—");
    else
        seed = (s.IsDrawComplete() ? QStringLiteral("保密中，全部奖项已抽完 ") : QStringLiteral("保密中 ")) +
               QStringLiteral("<a href=\"reveal\">揭示种子...</a>");
    if (m_seed->text() != seed)
        m_seed->setText(seed);
}

void ProofFields::openGuests()
{
    GuestNumbersDialog dialog(m_control.session(), [this](const DrawOutcome &out) { m_control.apply(out); }, &m_console);
    if (dialog.openStep())
        dialog.exec();
    refresh();
}

}  // namespace tessaly
