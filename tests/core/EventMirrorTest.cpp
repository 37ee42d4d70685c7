// The mirror folder under a failing stick: faults come through the file layer
// (the tests run as root, so permissions cannot stand for a removed stick).
#include "CrashStates.h"
#include "DrawFixtures.h"

#include "core/event/Takeover.h"
#include "core/files/EventMirror.h"
#include "core/proof/ProofVerify.h"
#include "core/text/Gbk.h"
#include "core/text/Lines.h"

#include <gtest/gtest.h>
#include <atomic>
#include <csignal>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tessaly {
namespace {

using namespace test;
namespace fs = std::filesystem;

// Fails or slows every step inside one folder while told to.
class StickFaults : public FileObserver {
public:
    explicit StickFaults(fs::path folder) : m_folder(std::move(folder)) { setFileObserver(this); }
    ~StickFaults() override { setFileObserver(nullptr); }
    int before(const FileStep &step) override
    {
        const std::string path = step.path.string();
        if (path.rfind(m_folder.string(), 0) != 0)
            return 0;
        if (const int ms = delayMs.load(); ms > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return error.load();
    }
    std::atomic<int> error{0};
    std::atomic<int> delayMs{0};

private:
    fs::path m_folder;
};

// The event's files as the mirror must hold them.
FolderState eventFiles(const fs::path &folder)
{
    FolderState state = readFolderState(folder);
    std::erase_if(state, [](const auto &f) { return f.first.rfind(".tessaly", 0) == 0; });
    return state;
}

TEST(EventMirror, AFullEventWithTheMirrorFailingAndComingBackEndsByteIdentical)
{
    struct Case {
        const char *what;
        int error;
        std::chrono::milliseconds delay;
    };
    const Case cases[] = {
        {"a removed stick", EIO, std::chrono::milliseconds(0)},
        {"a full stick", ENOSPC, std::chrono::milliseconds(0)},
        {"a stick slower than the limit", 0, std::chrono::milliseconds(1200)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        DrawFolder dir(40, {{"一等奖", 3, 1, "3"}, {"二等奖", 6, 3, "2+2+2"}, {"三等奖", 8, 2, "4+4"}});
        TempProgramDir stick;
        ASSERT_TRUE(ensureEventId(dir.path()).ok());
        Program p(dir);
        // The limit leaves a loaded machine's healthy stick well inside it; only the slow case passes it.
        EventMirror mirror(dir.path(), stick.path(), std::chrono::milliseconds(1000));
        p.session.setMirror(&mirror);
        StickFaults faults(stick.path());

        p.batch();
        EXPECT_FALSE(p.session.mirrorInterrupted());
        EXPECT_EQ(eventFiles(stick.path()), eventFiles(dir.path()));

        // Mid-award the stick goes; the draw goes on and says so in the history.
        faults.error = c.error;
        faults.delayMs = static_cast<int>(c.delay.count());
        p.batch();
        p.batch();
        EXPECT_TRUE(p.session.mirrorInterrupted());
        EXPECT_NE(dir.read("log.txt").find(G("备份中断")), std::string::npos);
        EXPECT_EQ(p.session.AwardWinnerNames()[2].size() + p.session.AwardWinnerNames()[1].size(), 10u);

        faults.error = 0;
        faults.delayMs = 0;
        // A copy that hung on the slow stick finishes first.
        std::this_thread::sleep_for(c.delay * 3);
        while (!p.session.IsDrawComplete())
            p.batch();
        EXPECT_FALSE(p.session.mirrorInterrupted()) << p.session.mirrorReason();
        EXPECT_NE(dir.read("log.txt").find(G("备份已恢复")), std::string::npos);
        EXPECT_EQ(eventFiles(stick.path()), eventFiles(dir.path()));
        EXPECT_EQ(readCommitCount(stick.path()).count, readCommitCount(dir.path()).count);
        EXPECT_GT(readCommitCount(dir.path()).count, 6);
    }
}

TEST(EventMirror, AMirrorOfAnotherEventIsNeverWrittenOver)
{
    DrawFolder dir(20, {{"一等奖", 2, 1, "2"}});
    TempProgramDir stick;
    ASSERT_TRUE(ensureEventId(dir.path()).ok());
    stick.write("event.id", "0123456789abcdef0123456789abcdef\r\n");
    stick.write("ARecord.dat", "0|X|X\r\n\r\n");
    const FolderState before = readFolderState(stick.path());
    EventMirror mirror(dir.path(), stick.path());
    EXPECT_FALSE(mirror.sync());
    EXPECT_NE(mirror.reason().find(G("另一个活动")), std::string::npos);
    EXPECT_EQ(readFolderState(stick.path()), before);
}

TEST(EventMirror, TheMirrorFolderTheOperatorNamesIsReadiedOrRefusedWithAReason)
{
    DrawFolder dir(20, {{"一等奖", 2, 1, "2"}});
    ASSERT_TRUE(ensureEventId(dir.path()).ok());
    TempProgramDir stick;
    const fs::path root = stick.path();
    fs::create_directories(root / "empty");
    fs::create_directories(root / "own");
    fs::copy_file(dir.path() / "event.id", root / "own" / "event.id");
    fs::create_directories(root / "other");
    stick.write("other/event.id", "0123456789abcdef0123456789abcdef\r\n");
    fs::create_directories(root / "photos");
    stick.write("photos/a.jpg", "x");
    stick.write("file", "x");
    fs::create_directories(dir.path() / "sub");

    struct Case {
        const char *what;
        fs::path folder;
        const char *refusal;  // nullptr: readied
        int error = 0;        // the stick fails every step with this
    };
    const Case cases[] = {
        {"an empty folder", root / "empty", nullptr},
        {"a folder made on the stick", root / "new", nullptr},
        {"this event's mirror", root / "own", nullptr},
        {"a relative path", "stick/mirror", "完整的文件夹路径"},
        {"the event folder", dir.path(), "就是活动文件夹"},
        {"a folder inside the event", dir.path() / "sub", "就是活动文件夹"},
        {"a folder holding the event", dir.path().parent_path(), "活动文件夹在它里面"},
        {"a file", root / "file", "不是文件夹"},
        {"a missing stick", root / "gone" / "mirror", "U盘是否已经插好"},
        {"another event's mirror", root / "other", "另一个活动的备份"},
        {"a folder with other files", root / "photos", "已有别的文件"},
        {"a full stick", root / "full", "不能备份到", ENOSPC},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const FolderState before = readFolderState(root);
        Status ready = [&] {
            StickFaults faults(root);
            faults.error = c.error;
            return prepareMirrorFolder(dir.path(), c.folder);
        }();
        if (!c.refusal) {
            EXPECT_TRUE(ready.ok()) << (ready.ok() ? "" : ready.error().message);
            EXPECT_TRUE(fs::is_directory(c.folder));
            EXPECT_FALSE(fs::exists(c.folder / ".tessaly-write-probe"));
            continue;
        }
        ASSERT_FALSE(ready.ok());
        EXPECT_NE(ready.error().message.find(G(c.refusal)), std::string::npos) << ready.error().message;
        if (c.error == 0) {
            EXPECT_EQ(readFolderState(root), before) << "a refused folder is left as it was";
        }
    }
}

TEST(EventMirror, TheEventIdIsMadeOnceAndKept)
{
    TempProgramDir dir;
    auto first = ensureEventId(dir.path());
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(first->size(), 32u);
    EXPECT_EQ(*ensureEventId(dir.path()), *first);
    EXPECT_EQ(readEventId(dir.path()), *first);
}

std::vector<std::string> namesOf(const DrawSession &s, const std::vector<int> &entries)
{
    std::vector<std::string> names;
    for (int e : entries)
        names.push_back(s.lists().NameList[static_cast<size_t>(e)]);
    return names;
}

TEST(Takeover, AfterAKillMidAwardTheSpareLaptopContinuesExactlyFromTheMirror)
{
    const std::vector<AwardRow> awards = {{"一等奖", 2, 1, "2"}, {"二等奖", 9, 3, "3+3+3"}, {"三等奖", 4, 2, "2+2"}};
    // What the hall saw before the kill, and what comes next, from an undisturbed run.
    DrawFolder reference(40, awards);
    std::vector<std::string> shownLast, next;
    DrawState expected;
    {
        Program p(reference);
        p.session.setPredeterminedActive(true);
        for (int b = 0; b < 3; ++b)
            p.batch();
        shownLast = namesOf(p.session, p.session.lastBatch());
        p.session.PrepareBatch();
        expected = p.session.state();
        p.batch();
        next = namesOf(p.session, p.session.lastBatch());
    }

    DrawFolder dir(40, awards);
    TempProgramDir stick;
    ASSERT_TRUE(ensureEventId(dir.path()).ok());
    const pid_t child = ::fork();
    if (child == 0) {
        // The first laptop: three stops mirrored, then killed in the middle of the fourth's save.
        Program p(dir);
        EventMirror mirror(dir.path(), stick.path());
        p.session.setMirror(&mirror);
        p.session.setPredeterminedActive(true);
        for (int b = 0; b < 3; ++b)
            p.batch();
        p.session.setCommitInterrupt([](CommitStep step) {
            if (step == CommitStep::Record)
                ::raise(SIGKILL);
            return false;
        });
        p.batch();
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

    // The spare laptop is started on the stick.
    auto offer = offerTakeover(stick.path(), std::nullopt);
    ASSERT_TRUE(offer.ok() && offer->has_value());
    EXPECT_EQ((*offer)->furtherCount, readCommitCount(stick.path()).count);
    EXPECT_EQ(lastRecordedBatch(stick.path()), shownLast);
    TempProgramDir spare;
    const fs::path local = takeoverFolder(spare.path(), readEventId(stick.path()));
    ASSERT_TRUE(copyForTakeover((*offer)->further, local).ok());
    EXPECT_FALSE(fs::exists(local / kMirrorMarker));

    FixedClock clock;
    MtRandom random(12345);  // another laptop, another generator: the saved order decides
    DrawSession session(local, random, clock);
    session.setTakeover(true);
    session.FormCreate(false);
    const DrawOutcome shown = session.FormShow("1024*768");
    EXPECT_TRUE(shown.notices.empty()) << texts(shown);
    EXPECT_TRUE(session.flags().PredeterminedActive);
    EXPECT_EQ(session.state().CurrentAward, expected.CurrentAward);
    EXPECT_EQ(session.state().CurrentBatch, expected.CurrentBatch);
    EXPECT_EQ(session.state().DrawnInAward, expected.DrawnInAward);
    session.FormKeyUp(kSpace);
    session.Timer1Timer();
    session.FormKeyUp(kSpace);
    EXPECT_EQ(namesOf(session, session.lastBatch()), next);
    while (!session.IsDrawComplete()) {
        if (!session.flags().BatchReady)
            session.FormKeyUp(kSpace);
        session.FormKeyUp(kSpace);
        session.Timer1Timer();
        session.FormKeyUp(kSpace);
    }
    std::set<std::string> once;
    for (const auto &list : session.AwardWinnerNames())
        for (const auto &name : list)
            EXPECT_TRUE(once.insert(name).second) << name << " drawn twice";
    EXPECT_EQ(once.size(), 15u);

    // The seed travelled, readable by the owner only, so the draw finished on
    // the spare laptop is verified as one draw under the first laptop's commitment.
    for (const fs::path &seeds : {stick.path() / "proof/seed.txt", local / "proof/seed.txt"}) {
        const fs::perms rights = fs::status(seeds).permissions();
        EXPECT_EQ(rights & (fs::perms::group_all | fs::perms::others_all), fs::perms::none) << seeds;
        EXPECT_EQ(fs::status(seeds.parent_path()).permissions() & fs::perms::others_all, fs::perms::none);
    }
    auto proof = readProofFolder(local);
    ASSERT_TRUE(proof.ok());
    const VerifyResult verified = verifyProof(*proof);
    EXPECT_EQ(verified.firstDifference, "") << gbkToUtf8(verified.report);
    EXPECT_EQ(verified.commitments.size(), 1u);
}

TEST(Takeover, AFurtherMirrorIsOfferedAndAnotherEventsNever)
{
    DrawFolder dir(20, {{"一等奖", 2, 1, "2"}});
    TempProgramDir stick;
    ASSERT_TRUE(ensureEventId(dir.path()).ok());
    {
        Program p(dir);
        EventMirror mirror(dir.path(), stick.path());
        p.session.setMirror(&mirror);
        p.batch();
    }
    // Level copies: nothing to offer.
    auto level = offerTakeover(dir.path(), stick.path());
    ASSERT_TRUE(level.ok());
    EXPECT_FALSE(level->has_value());
    // The local folder is behind (an older copy brought back): the mirror is offered.
    {
        auto settings = IniStore::open(dir / "set.dat");
        settings->writeString("Option", "commitcount", "1");
        ASSERT_TRUE(settings->commit().ok());
    }
    auto further = offerTakeover(dir.path(), stick.path());
    ASSERT_TRUE(further.ok() && further->has_value());
    EXPECT_EQ((*further)->further, stick.path());
    EXPECT_GT((*further)->furtherCount, 1);
    // A stick of another event is refused, whatever its counter.
    stick.write("event.id", "0123456789abcdef0123456789abcdef\r\n");
    auto other = offerTakeover(dir.path(), stick.path());
    ASSERT_FALSE(other.ok());
    EXPECT_NE(other.error().message.find(G("另一个活动")), std::string::npos);
}

}  // namespace
}  // namespace tessaly
