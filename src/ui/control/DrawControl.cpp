#include "ui/control/DrawControl.h"

#include "core/draw/DrawSession.h"
#include "core/event/Backup.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/stage/CorrectionDialogs.h"

#include <QAbstractSpinBox>
#include <algorithm>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

namespace tessaly {

DrawControl::DrawControl(DrawSession &session, MessageService &messages, StageHooks hooks, QObject *parent)
    : QObject(parent), m_session(session), m_messages(messages), m_hooks(std::move(hooks))
{
    m_tracker.reset(m_session);
}

bool DrawControl::takesText(const QWidget *w)
{
    if (const auto *box = qobject_cast<const QComboBox *>(w))
        return box->isEditable();
    return qobject_cast<const QLineEdit *>(w) || qobject_cast<const QAbstractSpinBox *>(w) ||
           qobject_cast<const QTextEdit *>(w) || qobject_cast<const QPlainTextEdit *>(w);
}

QWidget *DrawControl::operatorWindow() const
{
    if (m_operator && m_operator->isVisible())
        return m_operator;
    return m_stage;
}

void DrawControl::apply(const DrawOutcome &outcome)
{
    // No view shows a winner before the records holding them are on disk: with the
    // console there to retry the save, the stage waits for it.
    DrawOutcome shown = outcome;
    if (m_session.saveOwed() && m_hooks.holdWinners && m_operator && m_operator->isVisible()) {
        const auto winners = [](StageAction a) { return a == StageAction::ShowSlotTexts || a == StageAction::ShowGridText; };
        const auto kept = std::remove_if(shown.actions.begin(), shown.actions.end(), winners);
        if (kept != shown.actions.end()) {
            shown.actions.erase(kept, shown.actions.end());
            m_holding = true;
        }
    }
    m_hooks.show(shown);
    if (m_holding)
        m_hooks.holdWinners(m_session.saveOwed());
    m_holding = m_holding && m_session.saveOwed();
    // The stage shows the stop before the questions: the events go out first,
    // so that every view has the batch when the operator is asked.
    const std::vector<DrawEvent> events = m_tracker.update(m_session, outcome);
    for (const DrawEvent &e : events) {
        if (e.kind == DrawEventKind::RecordsFailed)
            m_saveError = e.error;
        else if (e.kind == DrawEventKind::RecordsWritten || e.kind == DrawEventKind::Reset)
            m_saveError.clear();
        emit happened(e);
    }
    QWidget *parent = operatorWindow();
    for (const Notice &n : outcome.notices)
        m_messages.notify(parent, toQt(n.title), toQt(n.text));
    if (outcome.question) {
        const Question &q = *outcome.question;
        const bool yes = m_messages.ask(parent, toQt(q.title), toQt(q.text));
        if (q.kind == QuestionKind::ShowResults)
            apply(m_session.answerShowResults(yes));
        else if (q.kind == QuestionKind::AutoLayout)
            apply(m_session.answerAutoLayout(yes));
        else if (q.kind == QuestionKind::RestoreTextList)
            apply(m_session.answerRestoreTextList(yes));
        else if (q.kind == QuestionKind::RestartAfterRefusedRestore)
            apply(m_session.answerRefusedRestore(yes));
    }
}

void DrawControl::start()
{
    apply(m_session.GoButtonClick());
}

void DrawControl::stop()
{
    apply(m_session.StopButtonClick());
}

void DrawControl::startKey(int key)
{
    apply(m_session.FormKeyUp(key));
}

void DrawControl::giveUp()
{
    stopForSettings();
    TForm_giveup dialog(m_session, [this](const DrawOutcome &out) { apply(out); }, m_messages, operatorWindow());
    dialog.exec();
    DrawOutcome marquee;
    marquee.actions.push_back(StageAction::ComposeMarquee);
    apply(marquee);
}

void DrawControl::supplement()
{
    stopForSettings();
    TForm_supplement dialog(m_session, [this](const DrawOutcome &out) { apply(out); }, m_messages, operatorWindow());
    dialog.exec();
}

void DrawControl::restart()
{
    if (m_hooks.saveLayout)
        m_hooks.saveLayout();
    if (!m_messages.ask(operatorWindow(), QStringLiteral("提示"),
                        QStringLiteral("是否要重新开始抽奖(所有奖项和名单或图片都将回到奖池)？\n\n") +
                            toQt(backupNotice(m_session.programDir(), m_session.recordedWinners()))))
        return;
    apply(m_session.Restart());
}

void DrawControl::redrawOne(int award, int position)
{
    const auto &names = m_session.AwardWinnerNames();
    if (award < 0 || award >= static_cast<int>(names.size()) || position < 0 ||
        position >= static_cast<int>(names[static_cast<size_t>(award)].size()))
        return;
    const QString name = toQt(names[static_cast<size_t>(award)][static_cast<size_t>(position)]);
    if (!m_messages.ask(operatorWindow(), QStringLiteral("不在场，重抽一人"),
                        QStringLiteral("“%1”不在场：撤销其中奖记录（记入历史记录，不回奖池），并从本奖项剩余的人中重抽一人？")
                            .arg(name)))
        return;
    apply(m_session.RedrawOne(award, position));
}

void DrawControl::reveal()
{
    if (!m_messages.ask(operatorWindow(), QStringLiteral("揭示种子"),
                        QStringLiteral("揭示种子后本次抽奖即结束，不能再抽（除非重新开始抽奖）；"
                                       "任何人都可以用公开的种子重算并核对全部中奖结果。现在揭示？")))
        return;
    apply(m_session.revealProof());
}

void DrawControl::startFromAward(int award)
{
    const std::string question = m_session.startFromQuestion(award);
    if (!question.empty() && !m_messages.ask(operatorWindow(), QStringLiteral("提示"), toQt(question)))
        return;
    apply(m_session.StartFromAward(award));
}

void DrawControl::resetDraw(bool useLists)
{
    if (m_hooks.saveLayout)
        m_hooks.saveLayout();
    // With the lists it is the enabling hot key's reset, which says so only when it happened.
    apply(useLists ? m_session.EnableLists() : m_session.ResetDraw(false));
}

void DrawControl::stopForSettings()
{
    if (m_session.flags().Rolling)
        apply(m_session.StopBatch());
}

void DrawControl::retrySave()
{
    apply(m_session.retrySave());
}

}  // namespace tessaly
