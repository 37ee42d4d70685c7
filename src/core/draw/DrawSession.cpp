#include "draw/DrawSession.h"

#include "draw/DrawNotices.h"
#include "draw/DrawOrder.h"
#include "draw/DrawRecord.h"
#include "draw/Shortage.h"
#include "draw/StatusTemplate.h"
#include "proof/ProofOrder.h"
#include "files/FileIo.h"
#include "files/Paths.h"
#include "settings/ProgramFiles.h"
#include "settings/Settings.h"
#include "sound/SoundRules.h"
#include "special/Grouping.h"
#include "special/SpecialLists.h"
#include "stage/SlotLayout.h"
#include "stage/StageScale.h"
#include "text/Base64.h"
#include "text/Gbk.h"
#include "text/Lines.h"
#include "text/SplitField.h"

#include <algorithm>
#include <utility>

namespace tessaly {
namespace fs = std::filesystem;
using namespace session;
namespace {

// Writes one Option key at once (ntfs, onerun, the window position).
void writeOptions(const fs::path &dir, const std::vector<SettingWrite> &writes, DrawOutcome &out)
{
    auto settings = openSettings(dir);
    if (!settings) {
        notifyError(out, settings.error());
        return;
    }
    for (const auto &w : writes)
        settings->writeString(w.section, w.key, w.value);
    if (Status committed = settings->commit(); !committed)
        notifyError(out, committed.error());
}

}  // namespace

DrawSession::DrawSession(fs::path programDir, RandomSource &random, const Clock &clock)
    : m_dir(std::move(programDir)), m_proof(m_dir), m_random(random), m_clock(clock), m_notices(m_dir, clock)
{
    m_startFromEnabled.fill(true);
    m_captions.GoButton = TSL_GBK("开始");
}

const LGrade *DrawSession::award(int index) const
{
    if (index < 0 || index >= m_state.AwardCount || index >= kMaxAwards)
        return nullptr;
    return &m_grade.awards[index];
}

int DrawSession::batchesOf(int index) const
{
    const LGrade *a = award(index);
    return a ? a->batchCount : 0;
}

bool DrawSession::startFromEnabled(int award) const
{
    return award >= 0 && award < kMaxAwards && m_startFromEnabled[static_cast<size_t>(award)];
}

void DrawSession::setPhotosLoaded(bool loaded)
{
    m_photosLoaded = loaded;
    if (loaded) {
        m_captions.GoButton = TSL_GBK("开始");
        m_captions.readyLuckVisible = m_options.readyLuckVisible;
    }
}

// ---------------------------------------------------------------- lifecycle

DrawOutcome DrawSession::FormCreate(bool audioReady)
{
    DrawOutcome out;
    if (!installationComplete(m_dir)) {
        out.notices.push_back({TSL_GBK("出错"), TSL_GBK("软件未正常安装，请重新安装。"), ErrorCode::FileMissing});
        out.actions.push_back(StageAction::EndApplication);
        return out;
    }
    m_flags.StartingUp = true;
    m_flags.AudioReady = audioReady;
    return out;
}

DrawOutcome DrawSession::FormShow(const std::string &screenKey)
{
    DrawOutcome out;
    // Half-written files of an interrupted replace are dropped, and a stop or
    // reset that a crash cut short is finished, before anything is read.
    removeStaleTemporaries(m_dir);
    m_restoreFailure.clear();
    m_restoreRefused = false;
    RecoveryResult recovered = finishPendingCommit(m_dir);
    for (const auto &error : recovered.errors)
        notifyError(out, error);
    if (recovered.found && !recovered.finished)
        m_restoreFailure = recovered.errors.empty() ? std::string(kCommitJournal) : recovered.errors.front().message;
    if (Status loaded = m_proof.load(); !loaded)
        notifyError(out, loaded.error());

    auto settings = openSettingsFor(m_dir, out);
    if (!settings) {
        m_restoreFailure = TSL_GBK("无法读取set.dat");
        return out;
    }
    m_flags.PhotoMode = settings->readBool("Option", "ispho", false);
    const int ntfs = settings->readInteger("Option", "ntfs", 0);
    m_flags.BatchReady = false;
    m_flags.GroupingEnabled = settings->readBool("Option", "canfz", false);
    const bool onerun = !m_takeover && settings->readBool("Option", "onerun", true);
    // A draw begun with the special lists in force keeps them after a restart
    // (a crash never changes who may win): set.dat notes them with every save.
    const bool listsAtLastSave = settings->readBool("Option", "commitlists", false);
    m_flags.PredeterminedActive = m_takeover ? listsAtLastSave : ntfs == 2 || (!onerun && listsAtLastSave);
    // Fitted to the screen, a layout shows in proportion on any size: only another
    // shape of screen calls for arranging it anew.
    const bool layoutStale =
        layoutNeedsArranging(settings->readString("Option", "screenmain"),
                             parseScreenKey(screenKey).value_or(TextSize{}), settings->readBool("Option", kFitToScreenKey, true));
    m_showHint = settings->readBool("Option", "showhint", false);
    m_notices.post(missingSoundNotices(*settings, m_dir));
    if (std::string unreadable = unreadableSpecialLines(m_dir, *settings, m_flags.GroupingEnabled); !unreadable.empty())
        notify(out, unreadable, ErrorCode::BadValue);

    // The forced restart keeps a backup of the draw it clears, without asking.
    if (ntfs == 1 && !m_takeover && keepBackup(out)) {
        // The lists apply once, at this start only.
        writeOptions(m_dir, {{"Option", "ntfs", "0"}}, out);
        m_flags.PredeterminedActive = true;
        resetDraw(true, out);
    } else {
        readSavedDraw(*settings, onerun, out);
    }
    if (m_flags.PhotoMode)
        showPhotoPrompt(out);

    if (onerun) {
        writeOptions(m_dir, {{"Option", "onerun", "0"}}, out);
        resetDraw(false, out);
        if (layoutStale) {
            // Arranged as soon as its layout is read: loading the photos shows
            // its boxes over the stage, which must not stand there unarranged.
            auto &actions = out.actions;
            auto read = std::find(actions.begin(), actions.end(), StageAction::ReadConfig);
            actions.insert(read == actions.end() ? actions.end() : read + 1, StageAction::AutoLayoutMain);
        }
    } else if (layoutStale) {
        out.question = Question{QuestionKind::AutoLayout, TSL_GBK("提示"),
                                TSL_GBK("当前电脑屏幕分辩率和前一次软件运行时的分辩率不同，"
                                        "是否要让电脑自动调整主副标题等的位置?"),
                                false};
        return out;
    }
    finishShow(out);
    return out;
}

void DrawSession::readSavedDraw(const IniStore &settings, bool onerun, DrawOutcome &out)
{
    readConfig(settings, out);
    readConfigGrade(settings, out);
    if (Status loaded = LoadParticipants(m_dir, m_lists); !loaded) {
        notifyError(out, loaded.error());
        m_restoreFailure = loaded.error().message;
    } else if (m_restoreFailure.empty()) {
        RestoreDraw(out);
        if (!onerun && m_restoreFailure.empty())
            noteRestore(out);
    }
    prepareBatch(out);
    saveProofLines(out);
    out.actions.push_back(StageAction::ComposeMarquee);
}

void DrawSession::showPhotoPrompt(DrawOutcome &out)
{
    m_captions.readyLuckVisible = false;
    out.actions.push_back(StageAction::ShowPhotoPrompt);
    m_captions.GoButton = TSL_GBK("加载");
}

DrawOutcome DrawSession::answerAutoLayout(bool yes)
{
    DrawOutcome out;
    if (yes)
        out.actions.push_back(StageAction::AutoLayoutMain);
    finishShow(out);
    return out;
}

DrawOutcome DrawSession::answerRefusedRestore(bool yes)
{
    return yes ? Restart() : DrawOutcome{};
}

void DrawSession::finishShow(DrawOutcome &out)
{
    if (m_restoreRefused && !out.question) {
        // Records that do not fit the list are never shown as winners: the
        // operator decides now whether to start again.
        m_restoreRefused = false;
        out.question = Question{QuestionKind::RestartAfterRefusedRestore, TSL_GBK("提示"),
                                TSL_GBK("上次的抽奖记录没有读入：") + m_restoreFailure +
                                    TSL_GBK("\n这些记录中的中奖人不能当作有效的中奖结果，现在不能继续抽奖。"
                                            "\n是否现在重新开始抽奖？（所有奖项和名单都将回到奖池；"
                                            "也可以以后再用菜单“重新开始抽奖”）"),
                                true};
    }
    if (m_showHint)
        out.actions.push_back(StageAction::ShowTips);
    m_flags.StartingUp = false;
    if (soundPlays(SoundMoment::StageShown, m_grade.sounds, m_flags.AudioReady))
        out.actions.push_back(StageAction::StartBackgroundMusic);
}

void DrawSession::readConfig(const IniStore &settings, DrawOutcome &out)
{
    m_options = readDrawOptions(settings);
    out.actions.push_back(StageAction::ReadConfig);
}

void DrawSession::readConfigGrade(const IniStore &settings, DrawOutcome &out)
{
    m_grade = tessaly::readConfigGrade(settings, m_dir);
    for (const auto &problem : m_grade.problems)
        notify(out, problem, ErrorCode::BadValue);
    m_state.AwardCount = m_grade.awards.AwardCount;
    m_state.ScrollDown = m_grade.ScrollDown;
    m_state.CurrentAward = m_grade.CurrentAward;
    m_state.CurrentBatch = 1;
    m_state.DrawnInAward = 0;
    if (const LGrade *a = award(m_state.CurrentAward)) {
        m_captions.Award = a->prizeName;
        m_captions.AwardPicture = a->prizePicture;
    }
    m_startFromEnabled.fill(true);
    out.actions.push_back(StageAction::RebuildStartFromMenu);
}

DrawOutcome DrawSession::ResetDraw(bool useLists)
{
    DrawOutcome out;
    resetDraw(useLists, out);
    return out;
}

DrawOutcome DrawSession::EnableLists()
{
    DrawOutcome out;
    // The hidden restart asks nothing, but keeps what it clears.
    if (!keepBackup(out))
        return out;
    const bool before = m_flags.PredeterminedActive;
    m_flags.PredeterminedActive = true;
    if (!resetDraw(true, out)) {
        m_flags.PredeterminedActive = before;  // nothing changed, the lists are not in force
        return out;
    }
    if (!m_debt.owed())
        notify(out, TSL_GBK("可以重新开始抽奖"));
    return out;
}

bool DrawSession::resetDraw(bool useLists, DrawOutcome &out, std::string historyBlock)
{
    // Everything is read before anything changes, so a list that cannot be
    // read leaves the draw as it was.
    auto settings = openSettingsFor(m_dir, out);
    if (!settings)
        return false;
    ParticipantLists fresh;
    if (Status loaded = LoadParticipants(m_dir, fresh); !loaded) {
        notifyError(out, loaded.error());
        return false;
    }

    // A roll that is running when the draw restarts ends without winners.
    if (m_flags.Rolling) {
        m_flags.Rolling = false;
        out.actions.push_back(StageAction::StopTimers);
        if (m_flags.PhotoMode)
            out.actions.push_back(StageAction::StopPhotoRolling);
    }
    m_flags.BatchReady = false;
    readConfig(*settings, out);
    readConfigGrade(*settings, out);
    m_flags.SupplementMode = false;

    DrawCommit commit;
    ClearDrawRecord(commit);
    clearHallFiles(commit);
    m_options.addgradep = 0;

    m_lists = std::move(fresh);
    m_listSum = listFingerprint(m_lists.NameList);
    m_restoreFailure.clear();
    m_restoreRefused = false;
    m_lastBatch.clear();
    m_debt.forgetWithheld();
    m_pool.clear();
    m_state.OrderCursor = -1;
    m_state.RollCount = 0;
    m_state.OrderFloor = 0;
    m_guests = {};
    m_captions.guestNumbers.clear();
    beginCommitment(std::exchange(m_resetReason, "reset"), out);
    bool built = false;
    if (const LGrade *a = award(m_state.CurrentAward))
        built = BuildDrawOrder(m_state.CurrentAward, a->winners, false, useLists, out);
    if (built) {
        if (m_flags.PhotoMode && !m_photosLoaded)
            out.actions.push_back(StageAction::LoadPhotos);
        prepareBatch(out);
    }

    // Saved even when the first award's pool is empty: the record is emptied
    // and the marks must say the same.
    commit.orderText = orderFileText(m_pool);
    commit.stateText = joinLines(m_lists.StateList);
    commit.settings.push_back({"Option", "addgradep", "0"});
    commit.logBlock = std::move(historyBlock);
    saveDraw(std::move(commit), true, out);
    return true;
}

void DrawSession::ClearDrawRecord(DrawCommit &commit)
{
    for (auto &list : m_awardWinners)
        list.clear();
    for (auto &list : m_awardWinnerNames)
        list.clear();
    m_debt.dropRecords();
    commit.clearRecord = true;  // ARecord.dat is emptied with the save of the reset
}

bool DrawSession::settleOwedSave(DrawOutcome &out)
{
    if (m_debt.owed()) {
        DrawCommit commit;
        commit.stateText = joinLines(m_lists.StateList);
        if (m_orderUnsaved && m_positionUnsaved)
            commit.orderText = orderFileText(m_pool);
        saveDraw(std::move(commit), false, out);
    }
    return !m_debt.owed();
}

DrawOutcome DrawSession::FormCloseQuery() const
{
    DrawOutcome out;
    if (IsDrawComplete()) {
        out.closeAllowed = true;
        return out;
    }
    out.question = Question{QuestionKind::CloseUnfinished, TSL_GBK("提示"),
                            TSL_GBK("奖项还未抽取完毕，是否要退出?"), true};
    return out;
}

DrawOutcome DrawSession::FormClose(int left, int top)
{
    DrawOutcome out;
    // A stop whose save failed gets one more try before the program ends.
    settleOwedSave(out);
    writeOptions(m_dir, {{"Option", "Mformleft", std::to_string(left)}, {"Option", "Mformtop", std::to_string(top)}},
                 out);
    if (!m_restoreFailure.empty())
        return out;  // the winners were never read: a summary of nobody would mislead
    const std::string block = m_debt.log() + closingLogBlock(timestamp(), m_grade.awards, m_awardWinnerNames);
    if (Status appended = appendFileDurable(programFile(m_dir, files::kLog), block); !appended)
        notifyError(out, appended.error());
    else
        m_debt.logWritten();
    return out;
}

// ------------------------------------------------------------------- draw

bool DrawSession::IsDrawComplete() const
{
    if (m_state.AwardCount <= 0)
        return true;  // no award to draw
    const int i = m_state.CurrentAward;
    const int b = m_state.CurrentBatch;
    if (m_state.ScrollDown)
        return i <= 0 && batchesOf(0) < b;
    const int last = m_options.addgradep != 0 ? m_options.addgradep - 1 : m_state.AwardCount - 1;
    // The last award of the table also ends the draw, whatever addgradep says.
    return (i >= last || i >= m_state.AwardCount - 1) && batchesOf(i) < b;
}

std::optional<DrawOrderRequest> DrawSession::awardRequest(int awardIndex, int count, bool keep, bool useLists,
                                                          DrawOutcome &out) const
{
    // A rule file that exists but cannot be read could hold a range or a list
    // the organiser set: the award does not start without it.
    auto settings = openSettings(m_dir);
    Result<DrawOrderRequest> rules =
        settings ? readAwardRules(m_dir, *settings, awardIndex, count, keep, useLists, m_flags.GroupingEnabled, m_lists.size())
                 : Result<DrawOrderRequest>(settings.error());
    if (!rules) {
        notifyError(out, rules.error(),
                    TSL_GBK("本奖项的规则无法读取，抽奖暂不开始。请确认该文件可以打开（权限、磁盘），"
                            "修好后再按开始键，将重新抽取本奖项：\n"));
        return std::nullopt;
    }
    // An award that took its check-in pool draws from those people only.
    if (const std::vector<int> *pool = m_options.onlyCheckedIn ? hallPool(awardIndex) : nullptr)
        rules->eligible = poolMarks(*pool, m_lists.size());
    return std::move(*rules);
}

Shortage DrawSession::shortageFrom(int awardIndex, int count, DrawOutcome &out) const
{
    std::vector<DrawOrderRequest> plan;
    const auto order = drawingOrder(awardIndex, m_state.AwardCount, m_state.ScrollDown);
    for (size_t k = 0; k < order.size(); ++k) {
        const int a = order[k];
        auto rules = awardRequest(a, k == 0 ? count : m_grade.awards[a].winners, false,
                                  m_flags.PredeterminedActive, out);
        if (!rules)
            break;
        plan.push_back(std::move(*rules));
    }
    return assessShortage(m_lists, plan);
}

DrawOutcome DrawSession::shortageNotice()
{
    DrawOutcome out;
    const LGrade *a = award(m_state.CurrentAward);
    if (!a)
        return out;
    const Shortage shortage = shortageFrom(m_state.CurrentAward, std::max(a->winners - m_state.DrawnInAward, 0), out);
    if (shortage.any())
        notify(out, TSL_GBK("参选人数不足：") + shortfallText(shortage, m_grade.awards) + TSL_GBK("。"));
    return out;
}

bool DrawSession::BuildDrawOrder(int awardIndex, int count, bool keep, bool useLists, DrawOutcome &out)
{
    const auto request = awardRequest(awardIndex, count, keep, useLists, out);
    if (!request) {
        m_pendingOrder = PendingOrder{awardIndex, count, keep, useLists};
        return false;
    }
    m_pendingOrder.reset();
    const std::string what = std::exchange(m_buildKind, "order");
    const std::string guests = std::exchange(m_buildGuests, {});
    DrawOrder order;
    if (m_proof.committed()) {
        const std::string pool = poolDigest(m_lists, request->range);
        ProofRandom generator = m_proof.generatorFor(awardIndex, guests, what);
        order = buildDrawOrder(m_lists, *request, generator);
        AuditFields fields = orderLineFields(*request, what, pool, order);
        fields.emplace_back("guests", guests);
        m_proof.add("order", fields);
    } else {
        order = buildDrawOrder(m_lists, *request, m_random);
    }
    m_orderUnsaved = true;
    const bool grouped = m_flags.GroupingEnabled;
    // What the later awards can still get, so the notice never says they draw as usual when they cannot.
    std::string later;
    if (order.shortage != PoolShortage::None) {
        Shortage rest = shortageFrom(awardIndex, count, out);
        if (!rest.awards.empty() && rest.awards.front().award == awardIndex) {
            rest.missing -= rest.awards.front().winners - rest.awards.front().drawn;
            rest.awards.erase(rest.awards.begin());
        }
        if (rest.any())
            later = TSL_GBK("；之后的") + shortfallText(rest, m_grade.awards);
    }
    if (order.shortage == PoolShortage::Empty) {
        const std::string text = TSL_GBK("奖池中的参选人数不足，当前奖项将抽0个，") +
                                 (later.empty() ? TSL_GBK("其它奖项正常抽取") : later.substr(TSL_GBK("；").size()));
        notify(out, grouped ? TSL_GBK("您启用了奖项分组设置。") + text : text);
        m_pool.clear();
        m_state.OrderCursor = -1;
        m_state.RollCount = 0;
        m_state.OrderFloor = 0;
        return false;
    }
    if (order.shortage == PoolShortage::Short)
        notify(out, (grouped ? TSL_GBK("您启用了奖项分组设置。") : std::string()) +
                        TSL_GBK("奖池中的参选人数小于中奖个数，软件已自动调整当前奖项中奖个数") + later);
    m_pool = std::move(order.PoolList);
    m_state.OrderCursor = static_cast<int>(m_pool.size()) - 1;
    m_state.RollCount = static_cast<int>(m_pool.size());
    m_state.OrderFloor = order.setAside;
    return true;
}

DrawOutcome DrawSession::PrepareBatch()
{
    DrawOutcome out;
    prepareBatch(out);
    return out;
}

std::string DrawSession::guestText(const IniStore &settings) const
{
    return settings.readString("MarqueeStatus",
                               std::to_string(m_state.CurrentAward + 1) + "-" + std::to_string(m_state.CurrentBatch));
}

bool DrawSession::refuseUnrestored(DrawOutcome &out) const
{
    if (m_restoreFailure.empty())
        return false;
    notify(out,
           TSL_GBK("上次的抽奖记录没有读入：") + m_restoreFailure +
               TSL_GBK("\n为了不覆盖已保存的抽奖结果，现在不能抽奖。请修复这个文件后重新启动软件；"
                       "如果要放弃上次的抽奖结果，请使用“重新开始抽奖”。"),
           ErrorCode::Inconsistent);
    return true;
}

void DrawSession::prepareBatch(DrawOutcome &out)
{
    if (refuseUnrestored(out) || refuseRevealed(out))
        return;
    if (m_debt.withheld()) {
        notify(out, TSL_GBK("上一批的中奖结果还没有保存成功，请先重试保存，成功后才能继续抽奖。"), ErrorCode::FileWrite);
        return;
    }
    if (m_flags.AdjustMode) {
        notify(out, TSL_GBK("请再按一次菜单\"调整界面位置\"退出设计状态才能抽奖!"));
        return;
    }
    if (IsDrawComplete()) {
        if (m_flags.StartingUp) {
            m_captions.readyLuck = TSL_GBK("    抽取完毕    ");
            m_captions.Status.clear();
        } else {
            out.question = Question{QuestionKind::ShowResults, TSL_GBK("提示"),
                                    TSL_GBK("奖项已抽完!是否要查看抽取结果?"), false};
        }
        return;
    }
    // An order whose rules could not be read is built before anything else.
    if (m_pendingOrder) {
        const PendingOrder pending = *m_pendingOrder;
        if (!BuildDrawOrder(pending.award, pending.count, pending.keep, pending.useLists, out) && m_pendingOrder)
            return;
    }
    if (batchesOf(m_state.CurrentAward) < m_state.CurrentBatch) {
        const DrawState before = m_state;
        m_state.CurrentAward += m_state.ScrollDown ? -1 : 1;
        m_state.CurrentBatch = 1;
        m_state.DrawnInAward = 0;
        if (const LGrade *next = award(m_state.CurrentAward)) {
            if (!BuildDrawOrder(m_state.CurrentAward, next->winners, false, m_flags.PredeterminedActive, out) &&
                m_pendingOrder) {
                // The position stays; the next start key tries this award again.
                m_state = before;
                m_pendingOrder.reset();
                return;
            }
            saveBuiltOrder(out);
        }
    }
    const LGrade *a = award(m_state.CurrentAward);
    if (!a)
        return;  // IsDrawComplete keeps the position inside the table

    m_state.BatchAward = m_state.CurrentAward;
    m_slotTexts.fill({});
    m_gridText.clear();
    out.actions.push_back(StageAction::ClearSlots);
    m_flags.BatchReady = true;

    m_captions.Award = a->prizeName;
    m_captions.AwardPicture = a->prizePicture;
    fillReadyCaptions();
    m_captions.GoButton = TSL_GBK("开始");
    m_captions.readyLuckVisible = m_options.readyLuckVisible;
    m_captions.readyLuck.reset();
    auto settings = openSettings(m_dir);
    m_captions.boss = settings ? guestText(*settings) : std::string();
}

void DrawSession::fillReadyCaptions()
{
    const LGrade *a = award(m_state.CurrentAward);
    if (!a)
        return;
    // Excluded people and those kept for other awards roll but never win
    // here, even when a short pool leaves the batch asking for them.
    m_state.BatchSize =
        std::clamp(a->batchWinners(m_state.CurrentBatch), 0, std::max(m_state.RollCount - m_state.OrderFloor, 0));
    m_captions.Status = FillStatusTemplate(m_grade.templates.qCaption, a->name, std::to_string(a->batchCount),
                                           std::to_string(m_state.CurrentBatch), std::to_string(m_state.BatchSize),
                                           std::to_string(a->winners), std::to_string(m_state.DrawnInAward));
}

DrawOutcome DrawSession::answerShowResults(bool yes)
{
    DrawOutcome out;
    if (yes)
        out.actions.push_back(m_flags.PhotoMode && m_options.addgradep == 0 ? StageAction::ShowWinnersWindow
                                                                           : StageAction::ShowResults);
    return out;
}

DrawOutcome DrawSession::StartRolling()
{
    DrawOutcome out;
    startRolling(out);
    return out;
}

void DrawSession::loadTextBlockRule()
{
    SlotBlockLayout layout;
    if (auto settings = openSettings(m_dir))
        layout = readSlotBlockLayout(*settings, m_state.BatchSize);
    useTextBlockLayout(layout);
}

void DrawSession::useTextBlockLayout(const SlotBlockLayout &layout)
{
    m_block.width = m_lists.LongestEntry.size();
    m_block.gap.assign(static_cast<size_t>(std::clamp(layout.space, 0, 28)), ' ');
    m_block.rowLength = std::max(layout.row, 1);
    m_block.blankLine = layout.blankLine;
}

void DrawSession::startRolling(DrawOutcome &out)
{
    if (m_flags.AdjustMode || m_flags.Rolling || !m_flags.BatchReady || !m_restoreFailure.empty())
        return;
    // The award's check-in pool comes first, so that the guests' numbers mix the order built from it.
    if (!takeHallPool(out))
        return;
    // The first roll of an award closes its guest step: the numbers decide its order now.
    if (m_guests.open) {
        const bool forThisAward = m_guests.award == m_state.CurrentAward && !m_flags.SupplementMode;
        if (!forThisAward) {
            m_proof.add("guests-dropped", {{"award", std::to_string(m_guests.award)}});
            m_guests = {};
            m_captions.guestNumbers.clear();
        } else if (!closeGuestStep(out)) {
            return;
        }
    }
    m_captions.boss.clear();
    m_flags.Rolling = true;
    m_captions.readyLuckVisible = false;
    if (m_flags.PhotoMode) {
        m_slotMode = SlotMode::Photos;
        out.actions.push_back(StageAction::StartPhotoRolling);
    } else if (m_state.BatchSize > kSlotCount) {
        m_slotMode = SlotMode::Grid;
        // The stage's layout, read after the stored rule, has the last word: a stage arranged
        // in memory for a borrowed screen composes its lines as it shows them.
        loadTextBlockRule();
        if (m_stage)
            m_stage->layoutTextBlock(m_state.BatchSize);
        m_flags.TickBusy = true;
        out.actions.push_back(StageAction::StartTimer2);
    } else {
        m_slotMode = SlotMode::Slots;
        if (m_stage)
            m_stage->layoutSlots(m_state.BatchSize);
        m_flags.TickBusy = true;
        out.actions.push_back(StageAction::StartTimer1);
    }
    if (soundPlays(SoundMoment::RollingStarted, m_grade.sounds, m_flags.AudioReady))
        out.actions.push_back(StageAction::PlayStartSound);
}

bool DrawSession::Timer1Timer()
{
    // A tick queued before the stop must not cover the winners.
    if (!m_flags.TickBusy || !m_flags.Rolling)
        return false;
    m_flags.TickBusy = false;
    const int n = std::min(m_state.BatchSize, kSlotCount);
    const int inPlay = std::min<int>(m_state.RollCount, static_cast<int>(m_pool.size()));
    for (int i = 0; i < n && inPlay > 0; ++i) {
        const int entry = m_pool[static_cast<size_t>(m_random.below(inPlay))];
        m_slotTexts[static_cast<size_t>(i)] = m_lists.DisplayList[static_cast<size_t>(entry)];
    }
    m_flags.TickBusy = true;
    return true;
}

void DrawSession::appendBlockEntry(std::string &text, const std::string &entry, int k, int total) const
{
    text += entry;
    if (k % m_block.rowLength != 0)
        text += m_block.gap;
    else if (k != total)
        text += m_block.blankLine ? "\r\r" : "\r";
}

bool DrawSession::Timer2Timer()
{
    if (!m_flags.TickBusy || !m_flags.Rolling)
        return false;
    m_flags.TickBusy = false;
    const int inPlay = std::min<int>(m_state.RollCount, static_cast<int>(m_pool.size()));
    m_gridText.clear();
    for (int k = 1; k <= m_state.BatchSize && inPlay > 0; ++k) {
        const int entry = m_pool[static_cast<size_t>(m_random.below(inPlay))];
        appendBlockEntry(m_gridText, padEntry(m_lists.DisplayList[static_cast<size_t>(entry)], m_block.width), k,
                         m_state.BatchSize);
    }
    m_flags.TickBusy = true;
    return true;
}

DrawOutcome DrawSession::StopBatch()
{
    DrawOutcome out;
    stopBatch(out);
    return out;
}

void DrawSession::stopBatch(DrawOutcome &out)
{
    if (m_flags.AdjustMode || !m_flags.Rolling)
        return;
    m_flags.Rolling = false;
    out.actions.push_back(StageAction::StopTimers);
    m_flags.TickBusy = true;
    if (m_flags.PhotoMode)
        out.actions.push_back(StageAction::StopPhotoRolling);

    TakenBatch batch = takeWinners(out);
    m_state.RollCount = m_state.OrderCursor + 1;

    const LGrade *recorded = award(m_state.BatchAward);
    const std::string awardName = recorded ? recorded->name : std::string();
    DrawCommit commit;
    bool withPosition = false;
    if (m_flags.SupplementMode) {
        m_flags.SupplementMode = false;
        const std::string n = std::to_string(m_state.BatchSize);
        m_captions.Status = FillStatusTemplate(m_grade.templates.bhCaption, awardName, "1", "1", n, n, "0");
        commit.settings = supplementAwardWrites();
    } else if (m_flags.RedrawMode) {
        // The replacement takes the absent winner's place: the award's count and batch stay.
        m_flags.RedrawMode = false;
        if (m_orderUnsaved)
            commit.orderText = orderFileText(m_pool);
        withPosition = true;
    } else {
        if (m_state.BatchAward >= 0 && m_state.BatchAward < kMaxAwards)
            m_startFromEnabled[static_cast<size_t>(m_state.BatchAward)] = false;
        out.actions.push_back(StageAction::DisableStartFromItem);
        m_state.DrawnInAward += m_state.BatchSize;
        if (const LGrade *a = award(m_state.CurrentAward))
            m_captions.Status = FillStatusTemplate(m_grade.templates.Caption, a->name, std::to_string(a->batchCount),
                                                   std::to_string(m_state.CurrentBatch),
                                                   std::to_string(m_state.BatchSize), std::to_string(a->winners),
                                                   std::to_string(m_state.DrawnInAward));
        m_state.CurrentBatch += 1;
        if (m_orderUnsaved)
            commit.orderText = orderFileText(m_pool);
        withPosition = true;
    }
    std::string winners;
    for (int entry : m_lastBatch)
        winners += (winners.empty() ? "" : ",") + std::to_string(entry);
    if (m_proof.committed())
        m_proof.add("stop", {{"award", std::to_string(m_state.BatchAward)},
                             {"supplement", withPosition ? "0" : "1"},
                             {"winners", winners},
                             {"cursor", std::to_string(m_state.OrderCursor)}});
    AppendBatchRecord(batch, awardName, std::move(commit), withPosition, out);

    if (soundPlays(SoundMoment::RollingStopped, m_grade.sounds, m_flags.AudioReady))
        out.actions.push_back(StageAction::PlayStopSound);
    m_flags.BatchReady = false;
    if (m_debt.owed())
        m_debt.withhold(out, m_slotTexts, m_gridText);
    else
        out.actions.push_back(StageAction::ComposeMarquee);
    if (m_options.canready)
        m_captions.GoButton = TSL_GBK("预备");
}

DrawSession::TakenBatch DrawSession::takeWinners(DrawOutcome &out)
{
    // Winners come from the end of the order. When fewer entries are left
    // than the batch asks for, the batch ends with the order.
    TakenBatch batch;
    const int awardIndex = m_state.BatchAward;
    const bool inTable = awardIndex >= 0 && awardIndex < kMaxAwards;
    m_lastBatch.clear();
    if (m_slotMode == SlotMode::Grid) {
        m_gridText.clear();
        m_gridWinners.clear();
    }
    int taken = 0;
    while (taken < m_state.BatchSize && m_state.OrderCursor >= std::max(m_state.OrderFloor, 0) &&
           m_state.OrderCursor < static_cast<int>(m_pool.size())) {
        const size_t t = static_cast<size_t>(m_pool[static_cast<size_t>(m_state.OrderCursor)]);
        if (m_lists.StateList[t] == kDrawnMark && !m_options.canreAward) {
            --m_state.OrderCursor;  // drawn already: never a second time
            continue;
        }
        const std::string &display = m_lists.DisplayList[t];
        const std::string &name = m_lists.NameList[t];
        m_lists.StateList[t] = kDrawnMark;
        if (inTable) {
            m_awardWinners[static_cast<size_t>(awardIndex)].push_back(display);
            m_awardWinnerNames[static_cast<size_t>(awardIndex)].push_back(name);
        }
        batch.line += name + "  ";
        batch.records += recordLine(awardIndex, display, name);
        if (m_slotMode == SlotMode::Slots && taken < kSlotCount)
            m_slotTexts[static_cast<size_t>(taken)] = display;
        else if (m_slotMode == SlotMode::Grid)
            m_gridWinners.push_back(padEntry(display, m_block.width));
        m_lastBatch.push_back(static_cast<int>(t));
        --m_state.OrderCursor;
        ++taken;
    }
    m_state.BatchSize = taken;

    switch (m_slotMode) {
    case SlotMode::Slots:
        out.actions.push_back(StageAction::ShowSlotTexts);
        break;
    case SlotMode::Grid:
        for (int k = 1; k <= taken; ++k)
            appendBlockEntry(m_gridText, m_gridWinners[static_cast<size_t>(k - 1)], k, taken);
        out.actions.push_back(StageAction::ShowGridText);
        break;
    case SlotMode::Photos:
        out.actions.push_back(StageAction::ShowPhotoWinners);
        break;
    }
    return batch;
}

std::vector<SettingWrite> DrawSession::supplementAwardWrites()
{
    // A supplement that appended an award stores it as one batch of its winners.
    std::vector<SettingWrite> writes;
    const LGrade *added = award(m_state.BatchAward);
    auto settings = openSettings(m_dir);
    if (!added || !settings || settings->readInteger("Option", "Lucks", 0) >= m_state.AwardCount)
        return writes;
    LGrade stored = *added;
    stored.winners = m_state.BatchSize;
    stored.batchCount = 1;
    stored.batchDetail = std::to_string(m_state.BatchSize);
    const int last = m_state.AwardCount - 1;
    writes.push_back({"Grade", std::to_string(last), gradeValue(stored)});
    writes.push_back({"Option", "Lucks", std::to_string(m_state.AwardCount)});
    if (settings->readInteger("Option", "addgradep", 0) == 0) {
        writes.push_back({"Option", "addgradep", std::to_string(last)});
        m_options.addgradep = last;
    }
    return writes;
}

void DrawSession::AppendBatchRecord(const TakenBatch &batch, const std::string &awardName, DrawCommit commit,
                                    bool withPosition, DrawOutcome &out)
{
    // The batch's records end with an empty line; the marks go with them.
    commit.recordBlock = batch.records + "\r\n";
    commit.logBlock = batchLogBlock(timestamp(), awardName, batch.line);
    // The hall can photograph the chain's end after every stop; the history keeps it too.
    if (m_proof.committed() && !m_proof.pending().empty())
        commit.logBlock += TSL_GBK("校验值：") + m_proof.head().substr(0, 16) + "\r\n";
    commit.stateText = joinLines(m_lists.StateList);
    saveDraw(std::move(commit), withPosition, out);
}

void DrawSession::saveDraw(DrawCommit commit, bool withPosition, DrawOutcome &out)
{
    const bool position = withPosition || m_positionUnsaved;
    if (position) {
        auto writes = drawPositionWrites(
            {m_state.CurrentAward, m_state.CurrentBatch, m_state.OrderCursor, m_state.DrawnInAward,
             m_state.OrderFloor, m_listSum});
        commit.settings.insert(commit.settings.begin(), writes.begin(), writes.end());
    }

    commit.auditBlock = m_proof.takePending() + commit.auditBlock;
    // Whatever an earlier failed save still owes the files goes with this one.
    m_debt.carryInto(commit);
    // Every save is counted in set.dat with it, so a mirror and a folder can
    // tell which is further on, and what the special lists were at the last one.
    commit.settings.push_back({"Option", "commitcount", std::to_string(readCommitCount(m_dir).count + 1)});
    commit.settings.push_back({"Option", "commitlists", m_flags.PredeterminedActive ? "1" : "0"});

    CommitResult result = applyDrawCommit(m_dir, commit, m_interrupt);
    m_debt.settle(commit, result);
    showProof();
    if (commit.orderText && result.orderWritten)
        m_orderUnsaved = false;
    if (position)
        m_positionUnsaved = !result.settingsWritten;
    if (!result.setAside.empty())
        notify(out, TSL_GBK("中奖记录文件ARecord.dat的最后一行不完整（上次写入没有完成），已移到") + kCutRecords +
                        TSL_GBK("中保存，新的中奖记录从下一行开始。"),
               ErrorCode::Inconsistent);
    for (const auto &error : result.errors)
        notifyError(out, error, TSL_GBK("抽奖结果保存失败："));
    if (!result.interrupted)
        syncMirror();
}

void DrawSession::syncMirror()
{
    m_mirror.sync(programFile(m_dir, files::kLog), timestamp());
}

DrawOutcome DrawSession::retrySave()
{
    DrawOutcome out;
    if (settleOwedSave(out))
        m_debt.release(out, m_slotTexts, m_gridText);
    return out;
}

DrawOutcome DrawSession::GoButtonClick()
{
    DrawOutcome out;
    if (m_captions.GoButton == TSL_GBK("加载")) {
        out.actions.push_back(StageAction::LoadPhotos);
        return out;
    }
    if (m_options.canready) {
        if (!m_flags.BatchReady)
            prepareBatch(out);
        else if (!m_flags.Rolling)
            startRolling(out);
    } else if (!m_flags.Rolling) {
        if (!m_flags.BatchReady)
            prepareBatch(out);
        if (m_flags.BatchReady)
            startRolling(out);
    }
    return out;
}

DrawOutcome DrawSession::StopButtonClick()
{
    DrawOutcome out;
    if (m_flags.Rolling)
        stopBatch(out);
    return out;
}

DrawOutcome DrawSession::FormKeyUp(int key)
{
    DrawOutcome out;
    if (key != m_options.startkey)
        return out;
    if (m_captions.GoButton == TSL_GBK("加载")) {
        out.actions.push_back(StageAction::LoadPhotos);
        return out;
    }
    // Unlike the Go button, the start key also stops a roll.
    if (m_flags.Rolling) {
        stopBatch(out);
    } else if (m_flags.BatchReady) {
        startRolling(out);
    } else {
        prepareBatch(out);
        if (!m_options.canready && m_flags.BatchReady)
            startRolling(out);
    }
    return out;
}

// ------------------------------------------------------------ result files

namespace {

// A result file just written is opened with its program; a failed write is reported.
DrawOutcome openWrittenFile(const Result<fs::path> &written)
{
    DrawOutcome out;
    if (!written) {
        notifyError(out, written.error());
        return out;
    }
    out.file = *written;
    out.actions.push_back(StageAction::OpenFile);
    return out;
}

}  // namespace

DrawOutcome DrawSession::WriteWinnersFile()
{
    return openWrittenFile(tessaly::WriteWinnersFile(m_dir, m_grade.awards, m_awardWinnerNames));
}

DrawOutcome DrawSession::WriteNonWinnersFile()
{
    return openWrittenFile(tessaly::WriteNonWinnersFile(m_dir, m_lists));
}

}  // namespace tessaly
