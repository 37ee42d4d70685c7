// Corrections during a draw: restarting, continuing from another award, giving
// up a winner, supplementing a batch or an award, and renaming a prize.
#include "draw/DrawSession.h"
#include "draw/Replacement.h"

#include "draw/CorrectionLog.h"
#include "draw/DrawRecord.h"
#include "draw/StatusTemplate.h"
#include "files/FileIo.h"
#include "files/Paths.h"
#include "settings/ProgramFiles.h"
#include "settings/Settings.h"
#include "text/Gbk.h"
#include "text/Lines.h"
#include "text/SplitField.h"

namespace tessaly {
namespace {

void notice(DrawOutcome &out, const std::string &text)
{
    out.notices.push_back({TSL_GBK("提示"), text, ErrorCode::BadInput});
}

void failure(DrawOutcome &out, const Error &error)
{
    out.notices.push_back({TSL_GBK("出错"), error.message, error.code});
}

// "|" separates the fields of a stored award: a name holding one would shift
// every later field of its line.
bool holdsSeparator(const std::string &text)
{
    return !separatorPositions(text, '|').empty();  // a 0x7C trail byte of 東 is no separator
}

const char *const kSeparatorRefusal = "奖项名称和奖品名称中不能含有“|”字符！请重新输入";

}  // namespace

// A correction reaches log.txt with its time, so the history still tells who finally won.
void DrawSession::logCorrection(const std::string &block, DrawOutcome &out)
{
    if (Status logged = appendFileDurable(programFile(m_dir, files::kLog), block); !logged)
        failure(out, logged.error());
}

namespace {

}  // namespace

DrawOutcome DrawSession::Restart()
{
    DrawOutcome out;
    if (m_flags.Rolling)
        stopBatch(out);
    if (!keepBackup(out))
        return out;
    std::string block = restartLogBlock(timestamp(), m_awardWinnerNames);
    auto settings = openSettings(m_dir);
    const bool listsAlways = settings && settings->readInteger("Option", "ntfs", 0) == 2;
    m_flags.PredeterminedActive = listsAlways;
    m_resetReason = "restart";
    resetDraw(listsAlways, out, std::move(block));
    return out;
}

std::string DrawSession::startFromQuestion(int index) const
{
    // Asked only when the current award has begun and is not finished: the
    // jump would leave its remaining winners undrawn.
    const LGrade *current = award(m_state.CurrentAward);
    const LGrade *target = award(index);
    if (!current || !target || m_flags.SupplementMode)
        return {};
    const bool begun = m_state.DrawnInAward > 0 || m_flags.Rolling;
    if (!begun || m_state.CurrentBatch > current->batchCount)
        return {};
    return TSL_GBK("当前奖项“") + current->name + TSL_GBK("”还没有抽完（已抽出") +
           std::to_string(m_state.DrawnInAward) + TSL_GBK("名，共") + std::to_string(current->winners) +
           TSL_GBK("名）。是否要从“") + target->name + TSL_GBK("”开始抽？");
}

DrawOutcome DrawSession::StartFromAward(int index)
{
    DrawOutcome out;
    if (m_captions.GoButton == TSL_GBK("加载")) {
        notice(out, TSL_GBK("当前是图片抽奖模式，请先按加载按钮加载参选图片再开始抽奖"));
        return out;
    }
    const LGrade *a = award(index);
    if (!a || refuseUnrestored(out) || refuseRevealed(out))
        return out;
    // A running roll is stopped first, so its winners are recorded under the award it rolled for.
    if (m_flags.Rolling)
        stopBatch(out);
    m_flags.SupplementMode = false;
    const int before = m_state.CurrentAward;
    m_state.CurrentAward = index;
    m_buildKind = "jump";
    const bool built = BuildDrawOrder(index, a->winners, false, m_flags.PredeterminedActive, out);
    if (!built && m_pendingOrder) {
        // Its rules could not be read: the draw stays where it was, the operator chooses again.
        m_state.CurrentAward = before;
        m_pendingOrder.reset();
        return out;
    }
    if (built) {
        m_state.CurrentBatch = 1;
        m_state.DrawnInAward = 0;
    }
    // The order is saved with the position it belongs to, so a restart continues with it.
    saveBuiltOrder(out);
    if (!built)
        return out;
    prepareBatch(out);
    return out;
}

bool DrawSession::holdsAnotherPrize(const std::string &name, int award, int position, int entry) const
{
    // The restart marks one entry drawn for every name in the record: this
    // entry stays drawn when another record keeps the name and no namesake
    // already answers for it.
    bool recorded = false;
    for (size_t k = 0; k < m_awardWinnerNames.size() && !recorded; ++k)
        for (size_t p = 0; p < m_awardWinnerNames[k].size() && !recorded; ++p)
            recorded = m_awardWinnerNames[k][p] == name &&
                       !(static_cast<int>(k) == award && static_cast<int>(p) == position);
    if (!recorded)
        return false;
    for (size_t t = 0; t < m_lists.size(); ++t)
        if (static_cast<int>(t) != entry && m_lists.StateList[t] == kDrawnMark && m_lists.NameList[t] == name)
            return false;
    return true;
}

DrawOutcome DrawSession::GiveUp(int index, int position, bool returnToPool)
{
    DrawOutcome out;
    if (index < 0 || index >= kMaxAwards || refuseUnrestored(out))
        return out;
    auto &names = m_awardWinnerNames[static_cast<size_t>(index)];
    auto &shown = m_awardWinners[static_cast<size_t>(index)];
    if (position < 0 || position >= static_cast<int>(names.size()))
        return out;
    const std::string name = names[static_cast<size_t>(position)];
    // A record still waiting to be written would come back with it.
    if (!settleOwedSave(out)) {
        notice(out, TSL_GBK("这一批中奖记录还没有保存成功，现在不能放弃中奖。请先腾出磁盘空间或解决上面的问题。"));
        return out;
    }

    // Only this winner's own record goes: the position-th record line of the
    // award, so a namesake in this or another award keeps the prize.
    auto recordPath = programFile(m_dir, files::kRecord);
    auto record = readFile(recordPath);
    if (!record) {
        failure(out, record.error());
        return out;
    }
    std::vector<std::string> lines = splitLines(*record);
    int seen = -1;
    bool removed = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (trimBlanks(lines[i]).empty())
            continue;
        int awardOfLine = -1;
        if (!parseInteger(SplitField(lines[i], '|', 1), awardOfLine) || awardOfLine != index)
            continue;
        if (++seen == position) {
            lines.erase(lines.begin() + static_cast<long>(i));
            removed = true;
            break;
        }
    }
    // The rewritten record, the returned mark, the history and the audit line
    // are one crash-safe save.
    DrawCommit commit;
    if (removed) {
        commit.clearRecord = true;
        commit.recordBlock = joinLines(lines);
    }
    // The entry that was drawn under this name, as the return to the pool below finds it;
    // withdrawn.dat keeps the withdrawal for the hall with the same save.
    int entry = -1;
    for (size_t t = 0; t < m_lists.NameList.size() && entry < 0; ++t)
        if (m_lists.StateList[t] == kDrawnMark && equalsIgnoreAsciiCase(m_lists.NameList[t], name))
            entry = static_cast<int>(t);
    noteWithdrawal(index, shown[static_cast<size_t>(position)], name, entry, commit);
    int returned = -1;
    if (returnToPool) {
        // The entry that was drawn under this name comes back, not an undrawn namesake.
        for (size_t t = 0; t < m_lists.NameList.size(); ++t) {
            if (m_lists.StateList[t] == kDrawnMark && equalsIgnoreAsciiCase(m_lists.NameList[t], name)) {
                returned = static_cast<int>(t);
                break;
            }
        }
        if (returned >= 0 && holdsAnotherPrize(name, index, position, returned)) {
            // Someone who won twice keeps the other prize and stays drawn, as a restart would mark them.
            notice(out, name + TSL_GBK("还有另一条中奖记录，仍算已中奖，不回到奖池。"));
            returned = -1;
        }
        if (returned >= 0) {
            m_lists.StateList[static_cast<size_t>(returned)] = std::to_string(returned);
            commit.stateText = joinLines(m_lists.StateList);
        }
    }
    if (const LGrade *a = award(index))
        commit.logBlock = giveUpLogBlock(timestamp(), a->name, name, returned >= 0);
    if (m_proof.committed())
        m_proof.add("giveup", {{"award", std::to_string(index)},
                               {"position", std::to_string(position)},
                               {"returned", std::to_string(returned)}});
    saveDraw(std::move(commit), false, out);
    names.erase(names.begin() + position);
    shown.erase(shown.begin() + position);
    out.actions.push_back(StageAction::ComposeMarquee);
    return out;
}

DrawOutcome DrawSession::RedrawOne(int index, int position)
{
    DrawOutcome out;
    if (refuseUnrestored(out))
        return out;
    const LGrade *a = award(index);
    // A batch of the same award that is only prepared gives way: it is prepared again after the re-draw.
    if (!a || m_flags.Rolling || m_flags.SupplementMode || m_flags.AdjustMode || index != m_state.CurrentAward ||
        index != m_state.BatchAward) {
        notice(out, TSL_GBK("只能在本奖项停止后、下一批开始前重抽。"));
        return out;
    }
    const int floor = std::max(m_state.OrderFloor, 0);
    const int inPlay = m_state.OrderCursor - floor + 1;
    if (inPlay < 1 || m_state.OrderCursor >= static_cast<int>(m_pool.size())) {
        notice(out, TSL_GBK("本奖项已没有可以重抽的人。"));
        return out;
    }
    const size_t before = m_awardWinnerNames[static_cast<size_t>(index)].size();
    out = GiveUp(index, position, false);
    if (m_awardWinnerNames[static_cast<size_t>(index)].size() == before)
        return out;  // nothing was withdrawn; the notices say why

    // The replacement moves to the place the next stop takes from. Under a
    // commitment it is drawn with the award's own generator, so a verifier
    // recomputes it; the line goes out with the stop that records it.
    int chosen = 0;
    if (m_proof.committed()) {
        ProofRandom generator = m_proof.generatorFor(index, {}, "redraw");
        chosen = floor + chooseReplacement(generator, inPlay);
        m_proof.add("redraw", {{"award", std::to_string(index)},
                               {"cursor", std::to_string(m_state.OrderCursor)},
                               {"floor", std::to_string(floor)},
                               {"chosen", std::to_string(chosen)}});
    } else {
        chosen = floor + chooseReplacement(m_random, inPlay);
    }
    std::swap(m_pool[static_cast<size_t>(chosen)], m_pool[static_cast<size_t>(m_state.OrderCursor)]);
    m_orderUnsaved = true;
    m_flags.RedrawMode = true;
    m_state.BatchSize = 1;
    m_captions.Award = a->prizeName;
    m_captions.AwardPicture = a->prizePicture;
    m_captions.Status = a->name + TSL_GBK("：不在场，重抽一人");
    m_slotTexts.fill({});
    m_gridText.clear();
    out.actions.push_back(StageAction::CheckSlotLayout);
    out.actions.push_back(StageAction::ClearSlots);
    m_flags.BatchReady = true;
    startRolling(out);
    return out;
}

int DrawSession::availableEntries() const
{
    int n = 0;
    for (const auto &s : m_lists.StateList)
        if (s != kDrawnMark)
            ++n;
    return n;
}

int DrawSession::reservedWinners() const
{
    int reserved = 0;
    if (m_state.ScrollDown) {
        for (int i = m_state.CurrentAward - 1; i >= 0; --i)
            if (const LGrade *a = award(i))
                reserved += std::max(a->winners, 0);
        return reserved;
    }
    const int end = m_options.addgradep != 0 ? m_options.addgradep : m_state.AwardCount;
    for (int i = m_state.CurrentAward + 1; i < end; ++i)
        if (const LGrade *a = award(i))
            reserved += std::max(a->winners, 0);
    return reserved;
}

DrawOutcome DrawSession::Supplement(const std::string &awardText, const std::string &countText,
                                    const std::string &prizeName, bool *focusCount)
{
    DrawOutcome out;
    if (focusCount)
        *focusCount = false;
    if (refuseUnrestored(out) || refuseRevealed(out))
        return out;
    const std::string name = trimBlanks(awardText);
    if (name.empty()) {
        notice(out, TSL_GBK("请选择或输入要补奖的奖项"));
        return out;
    }
    if (holdsSeparator(name) || holdsSeparator(prizeName)) {
        notice(out, utf8ToGbk(kSeparatorRefusal));
        return out;
    }
    int count = 0;
    if (!parseInteger(trimBlanks(countText), count) || count < 1) {
        // A supplement of nobody would prepare an empty batch.
        notice(out, TSL_GBK("请输入补奖的个数"));
        if (focusCount)
            *focusCount = true;
        return out;
    }
    if (batchesOf(m_state.CurrentAward) >= m_state.CurrentBatch) {
        notice(out, TSL_GBK("现在不能补奖。请等待当前奖项抽完后进行增加新奖项或补抽本奖项或补抽其它奖项"));
        return out;
    }
    if (availableEntries() < static_cast<long long>(count) + reservedWinners()) {
        notice(out, TSL_GBK("补奖数量与剩余中奖名额之和不能大于奖池中的名单数量。请重新设置补奖数量"));
        if (focusCount)
            *focusCount = true;
        return out;
    }
    // The first listed award of a repeated name, as the list shows it first.
    int index = -1;
    for (int i = 0; i < m_state.AwardCount && index < 0; ++i)
        if (m_grade.awards[i].name == name)
            index = i;
    const bool newAward = index < 0;
    if (newAward) {
        if (m_state.AwardCount >= kMaxAwards) {
            notice(out, TSL_GBK("奖项最多只能设定50个，不能再增加新奖项。请补抽已有的奖项"));
            return out;
        }
        // A new award; its batches of -1 keep the regular progression from drawing it again.
        index = m_state.AwardCount;
        LGrade added;
        added.name = name;
        added.prizeName = trimBlanks(prizeName);
        added.batchCount = -1;
        added.winners = count;
        m_grade.awards[index] = added;
        m_grade.awards.AwardCount = ++m_state.AwardCount;
    }
    m_buildKind = "supplement";
    if (SetUpSupplement(index, count, out)) {
        // The supplement's line and its order's line reach audit.log with the history.
        if (m_proof.committed())
            m_proof.add("supplement", {{"award", std::to_string(index)},
                                       {"count", std::to_string(count)},
                                       {"new", newAward ? "1" : "0"}});
        DrawCommit commit;
        commit.logBlock = supplementLogBlock(timestamp(), name, count, newAward, m_grade.awards[index].prizeName);
        saveDraw(std::move(commit), false, out);
    } else if (!m_proof.pending().empty()) {
        saveDraw({}, false, out);
    }
    return out;
}

bool DrawSession::SetUpSupplement(int index, int count, DrawOutcome &out)
{
    m_state.BatchAward = index;
    if (!BuildDrawOrder(index, count, true, m_flags.PredeterminedActive, out)) {
        m_pendingOrder.reset();  // a supplement whose rules could not be read is set up again by the operator
        return false;
    }
    const LGrade *a = award(index);
    m_flags.SupplementMode = true;
    m_captions.Award = a->prizeName;
    m_captions.AwardPicture = a->prizePicture;
    const std::string n = std::to_string(count);
    m_captions.Status = FillStatusTemplate(m_grade.templates.bCaption, a->name, "1", "1", n, n, "0");
    m_state.BatchSize = count;
    m_captions.readyLuckVisible = m_options.readyLuckVisible;
    m_captions.readyLuck.reset();
    m_slotTexts.fill({});
    m_gridText.clear();
    out.actions.push_back(StageAction::CheckSlotLayout);
    out.actions.push_back(StageAction::ClearSlots);
    m_flags.BatchReady = true;
    notice(out, TSL_GBK("补奖设置完成。可以开始补奖。"));
    out.notices.back().code = ErrorCode::None;
    return true;
}

std::string DrawSession::storedPrizeName(int index) const
{
    auto settings = openSettings(m_dir);
    if (!settings)
        return {};
    return SplitField(settings->readString("Grade", std::to_string(index)), '|', 5);
}

DrawOutcome DrawSession::RenamePrize(int index, const std::string &prizeName)
{
    DrawOutcome out;
    if (!award(index)) {
        notice(out, TSL_GBK("请选择奖项名称"));
        return out;
    }
    if (holdsSeparator(prizeName)) {
        notice(out, utf8ToGbk(kSeparatorRefusal));
        return out;
    }
    auto settings = openSettings(m_dir);
    if (!settings) {
        failure(out, settings.error());
        return out;
    }
    // Field 5 alone changes; the line is rebuilt field by field so a name that
    // contains the old prize stays as it is.
    const std::string key = std::to_string(index);
    std::string line = settings->readString("Grade", key);
    if (line.empty())
        line = gradeValue(m_grade.awards[index]);  // an award only in memory (a new supplement)
    std::vector<std::string> fields;
    for (int f = 1; f <= std::max(6, fieldCount(line, '|')); ++f)
        fields.push_back(SplitField(line, '|', f));
    const std::string prize = trimBlanks(prizeName);
    const std::string oldPrize = m_grade.awards[index].prizeName;
    fields[4] = prize;
    std::string value;
    for (size_t f = 0; f < fields.size(); ++f)
        value += (f ? "|" : "") + fields[f];
    settings->writeString("Grade", key, value);
    if (Status committed = settings->commit(); !committed) {
        failure(out, committed.error());
        return out;
    }
    m_grade.awards[index].prizeName = prize;
    logCorrection(prizeRenameLogBlock(timestamp(), m_grade.awards[index].name, oldPrize, prize), out);
    return out;
}

}  // namespace tessaly
