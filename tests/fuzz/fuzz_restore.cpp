// The draw restore over damaged files: set.dat, data.txt, ARecord.dat, tmda.jpg,
// colip.jpg, draw.journal, withdrawn.dat and checkin_pools.dat, separated by
// lines "~~~~". After the start no entry still in play is drawn; a stop takes
// only entries not drawn before; withdrawn winners and check-in pools name only
// entries of the list; and a second start brings back the same winners, marks,
// withdrawals, pools and position.
#include "FuzzSupport.h"

#include "draw/DrawCommit.h"
#include "draw/DrawSession.h"
#include "participants/ParticipantList.h"
#include "settings/ProgramFiles.h"
#include "settings/Settings.h"

#include <set>

using namespace tessaly;

namespace {

class FixedClock : public Clock {
public:
    LocalDateTime now() const override { return {2026, 12, 8, 19, 5, 3}; }
};

struct Snapshot {
    int award, batch, drawn;
    std::vector<std::string> marks;
    WinnerArray winners, names;
    std::vector<std::string> withdrawn;
    HallPools pools;
    bool operator==(const Snapshot &) const = default;
};

Snapshot snapshot(const DrawSession &s)
{
    Snapshot shot{s.state().CurrentAward, s.state().CurrentBatch, s.state().DrawnInAward, s.lists().StateList,
                  s.AwardWinners(), s.AwardWinnerNames(), {}, {}};
    for (int a = 0; a < kMaxAwards; ++a) {
        for (const auto &w : s.withdrawn()[static_cast<size_t>(a)]) {
            FUZZ_CHECK(w.entry >= -1 && w.entry < static_cast<int>(s.lists().size()));
            shot.withdrawn.push_back(std::to_string(a) + "|" + std::to_string(w.entry) + "|" + w.display + "|" + w.name);
        }
        if (const std::vector<int> *pool = s.hallPool(a)) {
            for (int entry : *pool)
                FUZZ_CHECK(entry >= 0 && static_cast<size_t>(entry) < s.lists().size());
            shot.pools[a] = *pool;
        }
    }
    return shot;
}

bool savedWell(const DrawOutcome &out)
{
    for (const auto &n : out.notices)
        if (n.code == ErrorCode::FileWrite || n.code == ErrorCode::FileRead || n.code == ErrorCode::Inconsistent)
            return false;
    return true;
}

void start(DrawSession &s)
{
    s.FormCreate(false);
    DrawOutcome shown = s.FormShow("1024*768");
    if (shown.question && shown.question->kind == QuestionKind::AutoLayout)
        s.answerAutoLayout(false);
}

void checkNothingDrawnInPlay(const DrawSession &s, bool reAward)
{
    FUZZ_CHECK(s.state().OrderCursor < static_cast<int>(s.PoolList().size()));
    if (reAward)
        return;
    for (int i = 0; i <= s.state().OrderCursor; ++i) {
        const int entry = s.PoolList()[static_cast<size_t>(i)];
        FUZZ_CHECK(entry >= 0 && static_cast<size_t>(entry) < s.lists().size());
        FUZZ_CHECK(s.lists().StateList[static_cast<size_t>(entry)] != kDrawnMark);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const fuzz::ScratchFolder folder;
    static const FixedClock clock;
    const auto parts = fuzz::splitParts(fuzz::asText(data, size), 8);
    folder.clear();
    const char *names[] = {"set.dat",        "data.txt",     "ARecord.dat",      "tmda.jpg",
                           "colip.jpg",      kCommitJournal, files::kWithdrawn,  files::kHallPools};
    for (size_t i = 0; i < 5; ++i)
        folder.write(names[i], parts[i]);
    for (size_t i = 5; i < 8; ++i)
        if (!parts[i].empty())
            folder.write(names[i], parts[i]);
    bool reAward = false;
    if (auto settings = openSettings(folder.path()))
        reAward = settings->readBool("Option", "canreAward", false);

    MtRandom random(1);
    DrawSession first(folder.path(), random, clock);
    start(first);
    checkNothingDrawnInPlay(first, reAward);

    // One batch, when the draw lets one be prepared.
    if (!first.flags().BatchReady)
        first.PrepareBatch();
    if (!first.flags().BatchReady)
        return 0;
    first.StartRolling();
    first.Timer1Timer();
    first.Timer2Timer();
    const std::vector<std::string> marksBefore = first.lists().StateList;
    const DrawOutcome stopped = first.StopBatch();
    std::set<int> taken;
    for (int t : first.lastBatch()) {
        FUZZ_CHECK(t >= 0 && static_cast<size_t>(t) < marksBefore.size());
        FUZZ_CHECK(reAward || (marksBefore[static_cast<size_t>(t)] != kDrawnMark && taken.insert(t).second));
        FUZZ_CHECK(first.lists().StateList[static_cast<size_t>(t)] == kDrawnMark);
    }
    checkNothingDrawnInPlay(first, reAward);
    if (!savedWell(stopped))
        return 0;

    // What the running program shows next is what a start must bring back.
    const std::vector<int> order = first.PoolList();
    const int cursor = first.state().OrderCursor;
    const int awardBefore = first.state().CurrentAward;
    first.PrepareBatch();
    const bool advanced = first.state().CurrentAward != awardBefore;
    const Snapshot expected = snapshot(first);

    MtRandom again(2);
    DrawSession second(folder.path(), again, clock);
    start(second);
    FUZZ_CHECK(snapshot(second) == expected);
    if (!advanced) {
        FUZZ_CHECK(second.PoolList() == order);
        FUZZ_CHECK(second.state().OrderCursor == cursor);
    }
    checkNothingDrawnInPlay(second, reAward);
    return 0;
}
