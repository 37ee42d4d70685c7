#include "ui/console/TFrmConsole.h"

#include "core/draw/DrawSession.h"
#include "core/event/OperatorNotices.h"
#include "ui/common/GbkText.h"
#include "ui/console/StageMiniature.h"
#include "ui/control/DrawControl.h"

#include "ui_TFrmConsole.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tessaly {
namespace {

QFont larger(QFont font, double factor)
{
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else
        font.setPixelSize(static_cast<int>(font.pixelSize() * factor));
    return font;
}

}  // namespace

TFrmConsole::TFrmConsole(DrawControl &control, Context context, QWidget *parent)
    : QWidget(parent, Qt::Window), m_ui(new Ui::TFrmConsole), m_control(control), m_context(std::move(context))
{
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("TFrmConsole"));
    // Read at arm's length on a laptop: the progress a size up, the buttons large.
    m_ui->DrawBox->setFont(larger(font(), 1.25));
    for (QPushButton *b : {m_ui->GoButton, m_ui->StopButton}) {
        QFont f = larger(font(), 2.2);
        f.setBold(true);
        b->setFont(f);
    }
    m_ui->LastBatch->setColumnCount(2);
    m_ui->LastBatch->setHorizontalHeaderLabels({QStringLiteral("中奖者"), QString()});
    m_ui->LastBatch->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_ui->LastBatch->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_ui->LastBatch->verticalHeader()->hide();
    m_ui->RetryButton->hide();
    m_ui->Miniature->setSession(&m_control.session());
    if (m_context.stageSize)
        m_ui->Miniature->setStageSize(m_context.stageSize());
    m_ui->FolderValue->setText(QStringLiteral("活动文件夹：%1").arg(m_context.eventFolder));
    m_ui->SavedValue->setText(QStringLiteral("最后保存：—"));

    connect(m_ui->FindWinner, &QLineEdit::textChanged, this, [this](const QString &text) {
        for (int row = 0; row < m_ui->LastBatch->rowCount(); ++row)
            m_ui->LastBatch->setRowHidden(row, !m_ui->LastBatch->item(row, 0)->text().contains(text.trimmed()));
    });
    connect(m_ui->GoButton, &QPushButton::clicked, &m_control, &DrawControl::start);
    connect(m_ui->StopButton, &QPushButton::clicked, &m_control, &DrawControl::stop);
    connect(m_ui->RetryButton, &QPushButton::clicked, &m_control, &DrawControl::retrySave);
    connect(&m_control, &DrawControl::happened, this, &TFrmConsole::observe);
    connect(m_ui->StageScreen, &QComboBox::activated, this, [this](int index) {
        if (m_context.chooseStageScreen)
            m_context.chooseStageScreen(m_ui->StageScreen->itemData(index).toString());
    });
    // The operator's notices (a sound that failed, a value set aside) stand among the warnings too.
    OperatorNotices &notices = m_control.session().notices();
    m_noticeSubscription = notices.subscribe([this](const OperatorNotice &) { showNotices(); });
    showNotices();
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, &TFrmConsole::tick);
    m_clock.start();
    tick();
    refresh();
}

TFrmConsole::~TFrmConsole()
{
    m_control.session().notices().unsubscribe(m_noticeSubscription);
    delete m_ui;
}

void TFrmConsole::showNotices()
{
    const auto &recent = m_control.session().notices().recent();
    const size_t shown = std::min<size_t>(recent.size(), 3);
    for (size_t i = 0; i < 3; ++i) {
        QString text;
        if (i < shown) {
            const OperatorNotice &n = recent[recent.size() - 1 - i];
            text = toQt(n.text) + (n.count > 1 ? QStringLiteral("（%1次）").arg(n.count) : QString());
        }
        setWarning(QStringLiteral("notice%1").arg(i), text);
    }
}

StageMiniature *TFrmConsole::miniature() const
{
    return m_ui->Miniature;
}

void TFrmConsole::setScreens(const QStringList &names, const QString &current)
{
    QComboBox *box = m_ui->StageScreen;
    box->clear();
    box->addItem(QStringLiteral("自动"), QString());
    for (const QString &name : names)
        box->addItem(name, name);
    const int at = box->findData(current);
    box->setCurrentIndex(at < 0 ? 0 : at);
}

QLabel *TFrmConsole::addField(const QString &caption)
{
    auto *value = new QLabel(m_ui->DrawBox);
    m_ui->fields->addRow(caption, value);
    return value;
}

void TFrmConsole::addPanel(QWidget *panel)
{
    panel->setParent(this);
    m_ui->bottomRow->addWidget(panel);
}

void TFrmConsole::setWarning(const QString &key, const QString &text)
{
    if (text.isEmpty())
        m_warnings.remove(key);
    else
        m_warnings[key] = text;
    m_ui->Warnings->clear();
    for (const QString &w : std::as_const(m_warnings))
        m_ui->Warnings->addItem(w);
}

QStringList TFrmConsole::warnings() const
{
    return m_warnings.values();
}

void TFrmConsole::refresh()
{
    const DrawSession &s = m_control.session();
    const DrawState &st = s.state();
    const AwardTable &awards = s.awards();
    const bool known = st.CurrentAward >= 0 && st.CurrentAward < awards.AwardCount;
    const LGrade *award = known ? &awards[st.CurrentAward] : nullptr;
    m_ui->AwardValue->setText(award ? toQt(award->name) : QStringLiteral("—"));
    if (award)
        m_ui->BatchValue->setText(QStringLiteral("第 %1 批，共 %2 批")
                                      .arg(std::min(st.CurrentBatch, award->batchCount))
                                      .arg(award->batchCount));
    else
        m_ui->BatchValue->setText(QStringLiteral("—"));
    int next = 0;
    if (s.flags().BatchReady || s.flags().Rolling)
        next = st.BatchSize;
    else if (award)
        next = award->batchWinners(st.CurrentBatch);
    m_ui->NextBatchValue->setText(next > 0 ? QString::number(next) : QStringLiteral("—"));
    // The entries that can still win this award: the stored order from its floor up to the cursor.
    const int inPlay = std::max(0, st.OrderCursor - std::max(st.OrderFloor, 0) + 1);
    m_ui->InPlayValue->setText(QString::number(inPlay));
    int all = 0;
    for (const auto &w : s.AwardWinners())
        all += static_cast<int>(w.size());
    const int inAward = known ? static_cast<int>(s.AwardWinners()[static_cast<size_t>(st.CurrentAward)].size()) : 0;
    m_ui->WinnersValue->setText(QStringLiteral("%1 / %2").arg(inAward).arg(all));
    m_ui->GoButton->setText(s.captions().GoButton.empty() ? QStringLiteral("开始") : toQt(s.captions().GoButton));
    m_ui->GoButton->setEnabled(!s.flags().Rolling);
    m_ui->StopButton->setEnabled(s.flags().Rolling);

    setWarning(QStringLiteral("pool"), next > inPlay && next > 0
                                           ? QStringLiteral("奖池不足：下一批 %1 人，可中奖只剩 %2 人。").arg(next).arg(inPlay)
                                           : QString());
    setWarning(QStringLiteral("lists"), s.flags().PredeterminedActive ? QStringLiteral("特殊名单已启用。") : QString());
    setWarning(QStringLiteral("range"), s.flags().GroupingEnabled ? QStringLiteral("奖项分组（抽取范围）已启用。") : QString());
    setWarning(QStringLiteral("rehearsal"), m_context.rehearsal ? QStringLiteral("彩排：中奖记录写在副本里。") : QString());
    const std::string &error = m_control.saveError();
    setWarning(QStringLiteral("save"), s.saveOwed() ? QStringLiteral("中奖记录没有保存：%1").arg(toQt(error)) : QString());
    m_ui->RetryButton->setVisible(s.saveOwed());
    m_ui->Miniature->refresh();
}

void TFrmConsole::observe(const DrawEvent &event)
{
    switch (event.kind) {
    case DrawEventKind::Stopped:
        // A stop whose save failed names nobody: the list stands empty until the retry writes them.
        showLastBatch(event);
        if (event.saved)
            m_lastSave = QDateTime::currentDateTime();
        break;
    case DrawEventKind::RecordsWritten:
        if (!event.winners.empty())
            showLastBatch(event);
        m_lastSave = QDateTime::currentDateTime();
        break;
    case DrawEventKind::Reset:
        m_ui->LastBatch->setRowCount(0);
        m_lastAward = -1;
        break;
    case DrawEventKind::GaveUp:
        // Positions in the award's list moved: the buttons of that award's batch no longer fit.
        if (event.award == m_lastAward) {
            m_ui->LastBatch->setRowCount(0);
            m_lastAward = -1;
        }
        break;
    default:
        break;
    }
    if (m_lastSave.isValid())
        m_ui->SavedValue->setText(QStringLiteral("最后保存：%1").arg(m_lastSave.toString(QStringLiteral("HH:mm:ss"))));
    refresh();
}

void TFrmConsole::showLastBatch(const DrawEvent &stop)
{
    QTableWidget *table = m_ui->LastBatch;
    table->setRowCount(0);
    m_lastAward = stop.award;
    const auto &winners = m_control.session().AwardWinners();
    const int total = stop.award >= 0 && stop.award < static_cast<int>(winners.size())
                          ? static_cast<int>(winners[static_cast<size_t>(stop.award)].size())
                          : 0;
    m_lastFirst = total - static_cast<int>(stop.winners.size());
    for (size_t i = 0; i < stop.winners.size(); ++i) {
        const int row = static_cast<int>(i);
        table->insertRow(row);
        table->setItem(row, 0, new QTableWidgetItem(toQt(stop.winners[i])));
        auto *button = new QPushButton(QStringLiteral("不在场，重抽一人"), table);
        button->setObjectName(QStringLiteral("Redraw%1").arg(row));
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, [this, row] { redrawOne(row); });
        table->setCellWidget(row, 1, button);
    }
}

void TFrmConsole::redrawOne(int row)
{
    if (m_lastAward < 0)
        return;
    m_control.redrawOne(m_lastAward, m_lastFirst + row);
}

void TFrmConsole::tick()
{
    m_ui->ClockValue->setText(QStringLiteral("   现在：%1").arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))));
}

void TFrmConsole::closeEvent(QCloseEvent *event)
{
    // The console goes with the program: closing it alone would leave the operator blind.
    event->ignore();
    showMinimized();
}

}  // namespace tessaly
