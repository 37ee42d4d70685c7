// The draw as the main window owns it: participant lists, award table, draw
// state, flags and captions, with one call per operator action. Each call
// returns what happened (stage actions, notices, a question); the window shows
// it and reads the new state. Nothing here waits for a person.
#pragma once

#include "checkin/HallPool.h"
#include "draw/Clock.h"
#include "draw/DrawCommit.h"
#include "draw/DrawOrder.h"
#include "draw/Shortage.h"
#include "draw/DrawOutcome.h"
#include "draw/DrawState.h"
#include "draw/Random.h"
#include "draw/SaveDebt.h"
#include "draw/SlotStage.h"
#include "event/OperatorNotices.h"
#include "draw/MirrorLink.h"
#include "files/EventMirror.h"
#include "participants/ParticipantList.h"
#include "proof/DrawProof.h"
#include "settings/AwardTable.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

// The guests' numbers of one award, between the opening of the step and the first roll.
struct GuestStep {
    bool open = false;
    int award = -1;
    std::vector<std::string> numbers;
};
struct SlotBlockLayout;

class DrawSession {
public:
    // The generator and the clock belong to the caller and outlive the session.
    DrawSession(std::filesystem::path programDir, RandomSource &random, const Clock &clock);

    // --- Lifecycle of the main window ---

    // Checks the installation; EndApplication when set.dat, data.txt or ARecord.dat is missing.
    DrawOutcome FormCreate(bool audioReady);
    // Restores (or resets) the draw and prepares the first batch. When the
    // stage size differs from the stored one it ends with the AutoLayout
    // question; answerAutoLayout finishes the start.
    DrawOutcome FormShow(const std::string &screenKey);
    DrawOutcome answerAutoLayout(bool yes);
    // The answer to the question asked when the saved draw did not fit the
    // list: Yes restarts the draw (as "重新开始抽奖"), No leaves it refused.
    DrawOutcome answerRefusedRestore(bool yes);
    // Returns every participant and award to the pool. useLists applies the
    // predetermined and exclusion lists to the first award's order.
    DrawOutcome ResetDraw(bool useLists);
    // The enabling hot key: the lists come into force and the draw returns to
    // the pool with them. A reset that cannot happen says why and leaves both
    // the draw and the lists' state as they were.
    DrawOutcome EnableLists();
    // closeAllowed, or the CloseUnfinished question.
    DrawOutcome FormCloseQuery() const;
    // Saves the window position and writes the closing block of log.txt.
    DrawOutcome FormClose(int left, int top);

    // --- The draw ---

    DrawOutcome PrepareBatch();
    DrawOutcome answerShowResults(bool yes);
    DrawOutcome StartRolling();
    DrawOutcome StopBatch();
    // A stop's save failed: its winners are not shown until retrySave succeeds.
    bool winnersWithheld() const { return m_debt.withheld(); }
    DrawOutcome GoButtonClick();
    DrawOutcome StopButtonClick();
    // The start key on release; other keys do nothing.
    DrawOutcome FormKeyUp(int key);
    // One roll tick: true when SlotTexts (Timer1) or GridText (Timer2) changed.
    bool Timer1Timer();
    bool Timer2Timer();
    bool IsDrawComplete() const;
    // Decides the winners of an award and rebuilds PoolList; false when its pool was empty.
    bool BuildDrawOrder(int award, int count, bool keep, bool useLists, DrawOutcome &out);
    // The awards from the current one on that cannot get every winner, as a
    // notice; nothing when everyone can be drawn (the photo load asks).
    DrawOutcome shortageNotice();
    // Reads the saved draw back (part of FormShow).
    void RestoreDraw(DrawOutcome &out);

    // Keeps a dated backup of the records, the list and the draw keys before an
    // action that clears recorded winners or replaces the list. False, with the
    // reason as a notice, when none could be made: the action must not go on.
    bool keepBackup(DrawOutcome &out);
    // Winners recorded so far, which a reset would clear.
    int recordedWinners() const;
    // Reads the whole saved draw again, as at the start, after a backup was
    // brought back under the running stage.
    DrawOutcome reloadSavedDraw();

    // --- Corrections during the draw ---

    // After the operator confirmed: a running roll is stopped (and recorded),
    // the restart block goes to log.txt and the whole draw returns to the pool.
    DrawOutcome Restart();
    // The question to ask before continuing from `award` when the current
    // award has begun and is unfinished (GBK); empty when there is nothing to ask.
    std::string startFromQuestion(int award) const;
    // Continues the draw with another award; people already drawn stay drawn.
    DrawOutcome StartFromAward(int award);
    // Gives up the winner at `position` of the award's list: only that
    // winner's record goes, and with returnToPool the entry drawn comes back.
    DrawOutcome GiveUp(int award, int position, bool returnToPool);
    // "不在场，重抽一人": the winner at `position` of the award's list is
    // withdrawn (logged like a give-up, not returned to the pool) and a one-slot
    // batch starts rolling, whose stop records the replacement, chosen uniformly
    // among the award's entries still in play. Allowed after a stop of the current
    // award until its next batch rolls.
    DrawOutcome RedrawOne(int award, int position);
    // Entries not drawn yet, and winners still owed to the awards after the current one.
    int availableEntries() const;
    int reservedWinners() const;
    // The supplement dialog's OK: a listed award's name or a new award's name,
    // the count as typed and a new award's prize. A refusal comes back as a
    // notice; `focusCount` then says whether the count field is at fault.
    DrawOutcome Supplement(const std::string &awardText, const std::string &countText, const std::string &prizeName,
                           bool *focusCount = nullptr);
    // Replaces the prize name of an award in set.dat and in memory.
    DrawOutcome RenamePrize(int award, const std::string &prizeName);
    // The prize name stored for an award (field 5 of its Grade line).
    std::string storedPrizeName(int award) const;

    // Re-reads the options and the roll interval after settings that leave
    // the draw as it is were saved; the window re-reads its appearance.
    DrawOutcome ReloadOptions();

    // --- Photo mode ---

    // Text mode (false) or photo mode (true), stored as ispho: a running roll
    // is stopped and recorded, photo mode rebuilds data.txt from photo\, and
    // the draw returns to the pool. Photo mode then waits for "加载".
    // The text list is kept as 文本名单.txt on the way to photo mode, and the
    // way back asks (RestoreTextList) whether to bring it back.
    DrawOutcome switchPhotoMode(bool photo);
    DrawOutcome answerRestoreTextList(bool yes);
    // The load found photos of the list missing. Before anyone is drawn the list
    // is rebuilt from the folder and the draw starts over on it (`rescanned`);
    // once winners are recorded the list stays, so the records keep their meaning.
    DrawOutcome rescanPhotoFolder(bool &rescanned);

    // --- Guests' numbers ---

    // Opens the guest step of the award whose first batch is ready: its pool
    // and the rules in force go to the history and the audit log. The first
    // roll closes it and mixes the numbers into the award's order.
    DrawOutcome openGuestStep();
    // A guest's number (digits, at most 18), logged at once and shown on the stage.
    DrawOutcome addGuestNumber(const std::string &typed);
    const GuestStep &guestStep() const { return m_guests; }
    // The console's "揭示种子": every seed of the event is published in the
    // chain and the draw ends until a restart starts a new commitment.
    DrawOutcome revealProof();
    // A stop's save failed and its records are still owed to the files.
    bool saveOwed() const { return m_debt.owed(); }
    // Tries the owed save again (the console's retry); notices say what still
    // failed. Once it is on disk, the winners it withheld come back to be shown.
    DrawOutcome retrySave();

    // --- The hall ---

    // A winner taken back after the draw (given up, or absent and re-drawn):
    // the hall's pages keep showing them, struck through.
    struct Withdrawal {
        std::string display;  // as the stage showed it (GBK)
        std::string name;
        int entry = -1;  // the entry drawn under that name
    };
    using WithdrawnArray = std::array<std::vector<Withdrawal>, kMaxAwards>;
    const WithdrawnArray &withdrawn() const { return m_withdrawn; }
    // The check-in pool an award took at its first roll ("只抽已签到的人"); nullptr while it has none.
    const std::vector<int> *hallPool(int award) const;

    // --- Result files ---

    DrawOutcome WriteWinnersFile();
    DrawOutcome WriteNonWinnersFile();

    // --- What the window tells the draw ---

    void setSlotStage(SlotStage *stage) { m_stage = stage; }
    void setAdjustMode(bool on) { m_flags.AdjustMode = on; }
    void setPredeterminedActive(bool on) { m_flags.PredeterminedActive = on; }
    void setGroupingEnabled(bool on) { m_flags.GroupingEnabled = on; }
    // The special settings changed the hot keys (shortcut codes).
    void setHotKeys(int sndfo, int sndst)
    {
        m_options.sndfo = sndfo;
        m_options.sndst = sndst;
    }
    // The text block's lines (entries per line, gap, blank lines) follow the layout the stage shows it in.
    void useTextBlockLayout(const SlotBlockLayout &layout);
    // Photo mode: the photos of the list are loaded, the start button reads "开始".
    void setPhotosLoaded(bool loaded);
    // Tests only: the seeds of new commitments come from here instead of the operating system.
    void setSeedSource(std::function<std::string()> source) { m_proof.setSeedSource(std::move(source)); }
    // The mirror folder every save is copied to after it is on disk; nullptr for none.
    void setMirror(EventMirror *mirror) { m_mirror.attach(mirror); }
    // The mirror's last copy failed or is late ("备份中断"); why, in GBK.
    bool mirrorInterrupted() const { return m_mirror.interrupted(); }
    // When the mirror was last brought level (the history's time stamp); empty before the first time.
    const std::string &mirrorSyncedAt() const { return m_mirror.syncedAt(); }
    std::string mirrorReason() const { return m_mirror.reason(); }
    std::filesystem::path mirrorFolder() const { return m_mirror.folder(); }
    // Brings the mirror level with the folder (after every save, and after
    // other writes); a change of its state goes to log.txt.
    void syncMirror();
    // This start continues a draw taken over from another laptop: no start-up
    // reset, and the special lists as they were at the last save.
    void setTakeover(bool on) { m_takeover = on; }
    // Tests only: stops a stop's or reset's writes after the given one.
    void setCommitInterrupt(CommitInterrupt hook) { m_interrupt = std::move(hook); }

    // --- State ---

    const std::filesystem::path &programDir() const { return m_dir; }
    // Problems named quietly while the show goes on (the tool bar and the console show them).
    OperatorNotices &notices() { return m_notices; }
    const DrawState &state() const { return m_state; }
    const DrawFlags &flags() const { return m_flags; }
    // The commitment in force and the end of the audit chain.
    const DrawProof &proof() const { return m_proof; }
    const StageCaptions &captions() const { return m_captions; }
    const DrawOptions &options() const { return m_options; }
    const GradeConfig &grade() const { return m_grade; }
    // The sound dialog's OK replaces the sounds in memory.
    void setSoundSettings(const SoundSettings &sounds) { m_grade.sounds = sounds; }
    const AwardTable &awards() const { return m_grade.awards; }
    const ParticipantLists &lists() const { return m_lists; }
    const std::vector<int> &PoolList() const { return m_pool; }
    const std::array<std::string, kSlotCount> &SlotTexts() const { return m_slotTexts; }
    const std::string &GridText() const { return m_gridText; }
    const std::vector<std::string> &GridWinners() const { return m_gridWinners; }
    const WinnerArray &AwardWinners() const { return m_awardWinners; }
    const WinnerArray &AwardWinnerNames() const { return m_awardWinnerNames; }
    // Entry indices of the last stop's winners, in the order taken (photo slots show them).
    const std::vector<int> &lastBatch() const { return m_lastBatch; }
    SlotMode slotMode() const { return m_slotMode; }
    bool startFromEnabled(int award) const;
    bool photosLoaded() const { return m_photosLoaded; }

private:
    struct TextBlockRule {
        size_t width = 0;   // every entry is brought to this many bytes
        std::string gap;    // blanks after an entry inside a line
        int rowLength = 9;  // entries per line
        bool blankLine = true;
    };

    // What a stop took: the batch line of the history and the record lines.
    struct TakenBatch {
        std::string line;
        std::string records;
    };

    // What an award's order is built from: the options, its grouping range and
    // (with useLists) the special lists. Nothing, with the notice, when a file
    // that holds them exists but cannot be read.
    std::optional<DrawOrderRequest> awardRequest(int awardIndex, int count, bool keep, bool useLists,
                                                 DrawOutcome &out) const;
    // The awards from awardIndex on (it needing `count`) played through with the draw's rules.
    Shortage shortageFrom(int awardIndex, int count, DrawOutcome &out) const;
    bool SetUpSupplement(int award, int count, DrawOutcome &out);
    // False when the award's pool turned out empty: the roll does not start.
    bool closeGuestStep(DrawOutcome &out);
    void fillReadyCaptions();
    void logCorrection(const std::string &block, DrawOutcome &out);
    void readConfig(const IniStore &settings, DrawOutcome &out);
    void readConfigGrade(const IniStore &settings, DrawOutcome &out);
    // The saved list, draw and records read as at the start, and the first batch prepared.
    void readSavedDraw(const IniStore &settings, bool onerun, DrawOutcome &out);
    void showPhotoPrompt(DrawOutcome &out);
    // True, with the notice saying what to mend, while the saved draw could not be read.
    bool refuseUnrestored(DrawOutcome &out) const;
    void prepareBatch(DrawOutcome &out);
    void startRolling(DrawOutcome &out);
    void stopBatch(DrawOutcome &out);
    // historyBlock goes to log.txt with the reset's save, so only a reset that happened leaves one.
    // False, with the notice, when nothing could be reset (a file could not be read).
    bool resetDraw(bool useLists, DrawOutcome &out, std::string historyBlock = {});
    // Tries again what a failed save still owes the files; true when nothing is owed.
    bool settleOwedSave(DrawOutcome &out);
    void ClearDrawRecord(DrawCommit &commit);
    void finishShow(DrawOutcome &out);
    TakenBatch takeWinners(DrawOutcome &out);
    std::vector<SettingWrite> supplementAwardWrites();
    // The write step of a stop: records, marks, history and (normal stops) the
    // position and order, through one crash-safe save.
    void AppendBatchRecord(const TakenBatch &batch, const std::string &awardName, DrawCommit commit,
                           bool withPosition, DrawOutcome &out);
    void saveDraw(DrawCommit commit, bool withPosition, DrawOutcome &out);
    void restoreWinners(const std::string &recordText, const std::string &stateText, const std::string &orderText,
                        bool listChanged, std::vector<std::string> &problems);
    void restorePosition(DrawPosition position, const std::string &orderText, bool listChanged,
                         std::vector<std::string> &problems, DrawOutcome &out);
    // Keeps a stop's winners off the stage while their save failed.
    // Takes entries already drawn out of the part of PoolList still in play; how many.
    int removeDrawnFromPlay();
    // Whether a given-up winner keeps another prize under the same name, so stays drawn.
    bool holdsAnotherPrize(const std::string &name, int award, int position, int entry) const;
    void reportCommit(const CommitResult &result, DrawOutcome &out);
    // The proof's side of a start and of a reset.
    void noteRestore(DrawOutcome &out);
    void beginCommitment(const std::string &reason, DrawOutcome &out);
    // An order just built is saved with the position and its audit line.
    void saveBuiltOrder(DrawOutcome &out);
    // Writes lines composed outside a save of the draw (a start), and nothing else.
    void saveProofLines(DrawOutcome &out);
    // After the seeds were revealed nothing more is drawn until a restart.
    bool refuseRevealed(DrawOutcome &out) const;
    void showProof();
    // The hall's files read with the saved draw, and emptied by a reset.
    void readHallFiles(DrawOutcome &out);
    void clearHallFiles(DrawCommit &commit);
    // A winner's record was taken back: withdrawn.dat keeps it for the hall, written with `commit`.
    void noteWithdrawal(int award, const std::string &display, const std::string &name, int entry, DrawCommit &commit);
    // With "只抽已签到的人", the first roll of an award takes its pool from the
    // people checked in, builds the order from it and saves both at once; false
    // (the roll does not start) when nobody in the pool is checked in.
    bool takeHallPool(DrawOutcome &out);
    void loadTextBlockRule();
    void appendBlockEntry(std::string &text, const std::string &entry, int k, int total) const;
    std::string guestText(const IniStore &settings) const;
    std::string timestamp() const { return formatTimestamp(m_clock.now()); }
    const LGrade *award(int index) const;
    int batchesOf(int index) const;

    std::filesystem::path m_dir;
    DrawProof m_proof;
    // What the next order build is for: an award's own order, a jump to an award, a supplement.
    std::string m_buildKind = "order";
    std::string m_resetReason = "reset";
    std::string m_buildGuests;  // the guests' numbers the next order build mixes in
    GuestStep m_guests;
    RandomSource &m_random;  // the rolling animation, and orders when no commitment could be made
    const Clock &m_clock;
    SlotStage *m_stage = nullptr;
    CommitInterrupt m_interrupt;
    MirrorLink m_mirror;
    bool m_takeover = false;
    // The show action of a stop whose records are not on disk, with its texts.
    OperatorNotices m_notices;

    DrawState m_state;
    DrawFlags m_flags;
    StageCaptions m_captions;
    DrawOptions m_options;
    GradeConfig m_grade;
    ParticipantLists m_lists;
    std::vector<int> m_pool;
    std::array<std::string, kSlotCount> m_slotTexts;
    std::string m_gridText;
    std::vector<std::string> m_gridWinners;
    WinnerArray m_awardWinners;
    WinnerArray m_awardWinnerNames;
    std::vector<int> m_lastBatch;
    std::array<bool, kMaxAwards> m_startFromEnabled{};
    SlotMode m_slotMode = SlotMode::Slots;
    TextBlockRule m_block;
    bool m_photosLoaded = false;
    WithdrawnArray m_withdrawn;
    HallPools m_hallPools;
    // An order that could not be built because its rules could not be read;
    // the next prepare builds it first.
    struct PendingOrder {
        int award = 0;
        int count = 0;
        bool keep = false;
        bool useLists = false;
    };
    std::optional<PendingOrder> m_pendingOrder;

    // Start-up settings kept between FormShow and answerAutoLayout.
    bool m_showHint = false;

    // What a failed save still owes the files; the next save carries it.
    SaveDebt m_debt;
    bool m_orderUnsaved = false;
    bool m_positionUnsaved = false;
    std::string m_listSum;  // listFingerprint of the loaded list, saved with the position
    // Why the saved draw could not be read at the start; until a reset nothing
    // is drawn, so nothing overwrites it.
    std::string m_restoreFailure;
    bool m_restoreRefused = false;  // the saved draw did not fit the list: ask about a restart once
};

}  // namespace tessaly
