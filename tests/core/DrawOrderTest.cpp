// The draw order of an award against a plain model of the rules: every pick
// and every move of the fast version must land where the model puts it.
#include "core/draw/DrawOrder.h"
#include "core/text/Lines.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

// The rules taken literally: list erasures, first match by name, moves by
// erase and insert.
std::vector<int> modelOrder(const ParticipantLists &lists, const DrawOrderRequest &r, RandomSource &random)
{
    std::vector<int> pool;
    for (int i = std::max(r.range.first, 0); i <= std::min<int>(r.range.last, lists.size() - 1); ++i)
        if (lists.StateList[i] != "|ISOK|")
            pool.push_back(i);
    std::vector<int> here, elsewhere, setAside;
    auto take = [&](const std::string &name, std::vector<int> &into) {
        for (size_t p = 0; p < pool.size(); ++p) {
            if (equalsIgnoreAsciiCase(lists.NameList[pool[p]], name)) {
                into.push_back(pool[p]);
                pool.erase(pool.begin() + p);
                return;
            }
        }
    };
    if (r.useLists) {
        for (size_t k = 0; k < r.predetermined.size(); ++k)
            for (const auto &name : r.predetermined[k])
                take(name, static_cast<int>(k) == r.award ? here : elsewhere);
        for (const auto &name : r.excluded)
            take(name, setAside);
        setAside.insert(setAside.end(), elsewhere.begin(), elsewhere.end());
    }
    long long n = r.count - (r.keep ? 0 : static_cast<long long>(here.size()));
    n = std::max(n, 0LL);
    if (pool.empty() && (r.keep || here.empty()))
        return {};
    n = std::min<long long>(n, pool.size());
    random.seedFromClock();
    std::vector<int> chosen;
    for (long long k = 0; k < n; ++k) {
        const int at = random.below(static_cast<int>(pool.size()));
        chosen.push_back(pool[at]);
        if (!r.canreAward)
            pool.erase(pool.begin() + at);
    }
    std::vector<int> order = r.useLists ? setAside : std::vector<int>{};
    order.insert(order.end(), pool.begin(), pool.end());
    (r.keep ? order : chosen).insert((r.keep ? order : chosen).end(), here.begin(), here.end());
    if (r.ntcanrandom) {
        for (size_t i = 0; i < chosen.size(); ++i) {
            const int to = random.below(static_cast<int>(chosen.size()));
            const int item = chosen[i];
            chosen.erase(chosen.begin() + i);
            chosen.insert(chosen.begin() + to, item);
        }
    }
    order.insert(order.end(), chosen.begin(), chosen.end());
    return order;
}

ParticipantLists participants(int n)
{
    std::vector<std::string> lines;
    for (int i = 0; i < n; ++i)
        lines.push_back("P" + std::to_string(i % 50 == 49 ? 1 : i));  // every 50th repeats the name P1
    ParticipantLists lists = buildParticipantLists(lines, {});
    for (int i = 0; i < n; i += 7)
        lists.StateList[i] = "|ISOK|";
    return lists;
}

TEST(DrawOrder, FollowsThePlainRulesPickForPick)
{
    struct Case {
        std::string what;
        int entries, count;
        bool canreAward, ntcanrandom, keep, useLists;
        EntryRange range;
    };
    const Case cases[] = {
        {"small award", 10, 3, false, true, false, false, {0, 9}},
        {"large award through the blocked moves", 6000, 4000, false, true, false, false, {0, 5999}},
        {"chosen entries stay in the pool", 40, 30, true, true, false, false, {0, 39}},
        {"unmixed", 300, 120, false, false, false, true, {0, 299}},
        {"lists inside a range", 300, 20, false, true, false, true, {50, 149}},
        {"a supplement keeps the predetermined in the pool", 300, 5, false, true, true, true, {0, 299}},
        {"short pool", 30, 100, false, true, false, true, {0, 29}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const ParticipantLists lists = participants(c.entries);
        DrawOrderRequest r;
        r.award = 1;
        r.count = c.count;
        r.canreAward = c.canreAward;
        r.ntcanrandom = c.ntcanrandom;
        r.keep = c.keep;
        r.useLists = c.useLists;
        r.range = c.range;
        // The same name twice takes the next entry of that name; p2 matches P2.
        r.predetermined = {{"P3", "P1", "missing"}, {"p2", "P1", "P60"}, {"P1", "P5"}};
        r.excluded = {"P8", "P9", "P1", "P3"};
        MtRandom fast(11), model(11);
        const DrawOrder order = buildDrawOrder(lists, r, fast);
        EXPECT_EQ(order.PoolList, modelOrder(lists, r, model));
        EXPECT_EQ(fast.below(1000000), model.below(1000000));  // both used the generator alike
    }
}

TEST(DrawOrder, LaysOutSetAsidePoolAndChosenParts)
{
    const ParticipantLists lists = buildParticipantLists({"A", "B", "C", "D", "E", "F"}, {});
    DrawOrderRequest r;
    r.award = 0;
    r.count = 2;
    r.range = {0, 5};
    r.useLists = true;
    r.ntcanrandom = false;
    r.predetermined = {{"e"}, {"B"}};
    r.excluded = {"D"};
    MtRandom random(3);
    DrawOrder order = buildDrawOrder(lists, r, random);
    ASSERT_EQ(order.PoolList.size(), 6u);
    // D excluded, then B kept for the other award; three left in the pool
    // minus the one chosen; the predetermined E is taken first.
    EXPECT_EQ(std::vector<int>(order.PoolList.begin(), order.PoolList.begin() + 2), (std::vector<int>{3, 1}));
    EXPECT_EQ(order.PoolList.back(), 4);
    EXPECT_EQ(order.chosen, 2);
    EXPECT_EQ(order.shortage, PoolShortage::None);

    r.range = {0, -1};  // nobody in range
    EXPECT_EQ(buildDrawOrder(lists, r, random).shortage, PoolShortage::Empty);
    EXPECT_EQ((entryRangeOfLines(3, 100, 6).first), 2);
    EXPECT_EQ((entryRangeOfLines(3, 100, 6).last), 5);
    EXPECT_LT((entryRangeOfLines(5, 2, 6).last), (entryRangeOfLines(5, 2, 6).first));
}

}  // namespace
}  // namespace tessaly
