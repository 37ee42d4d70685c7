#include "draw/DrawOrder.h"

#include "text/Lines.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <unordered_map>
#include <unordered_set>

namespace tessaly {
namespace {

// Picks the k-th entry still in the pool in O(log n), so choosing a thousand
// winners from a million entries never shifts the pool around.
class RemainingIndex {
public:
    explicit RemainingIndex(size_t n) : m_tree(n + 1, 0)
    {
        for (size_t i = 1; i <= n; ++i) {
            m_tree[i] += 1;
            size_t parent = i + (i & (~i + 1));
            if (parent <= n)
                m_tree[parent] += m_tree[i];
        }
        m_step = 1;
        while (m_step * 2 <= n)
            m_step *= 2;
    }

    // Position of the k-th (from 0) remaining item; removes it.
    size_t take(size_t k)
    {
        size_t pos = 0;
        size_t rest = k + 1;
        for (size_t step = m_step; step > 0; step /= 2) {
            size_t next = pos + step;
            if (next < m_tree.size() && m_tree[next] < rest) {
                pos = next;
                rest -= m_tree[next];
            }
        }
        for (size_t i = pos + 1; i < m_tree.size(); i += i & (~i + 1))
            m_tree[i] -= 1;
        return pos;
    }

private:
    std::vector<size_t> m_tree;
    size_t m_step = 1;
};

// The chosen winners mixed by moving each item in turn to a random place. A
// list cut into blocks keeps every move cheap even for very large awards.
void moveToRandomPlaces(std::vector<int> &items, RandomSource &random)
{
    const size_t n = items.size();
    if (n < 2) {
        for (size_t i = 0; i < n; ++i)
            random.below(static_cast<int>(n));
        return;
    }
    const size_t blockSize = std::max<size_t>(32, static_cast<size_t>(std::sqrt(static_cast<double>(n))));
    std::vector<std::vector<int>> blocks;
    for (size_t i = 0; i < n; i += blockSize)
        blocks.emplace_back(items.begin() + static_cast<long>(i),
                            items.begin() + static_cast<long>(std::min(n, i + blockSize)));
    auto locate = [&blocks](size_t pos, size_t &block) {
        block = 0;
        while (pos >= blocks[block].size() && block + 1 < blocks.size()) {
            pos -= blocks[block].size();
            ++block;
        }
        return pos;
    };
    for (size_t i = 0; i < n; ++i) {
        const size_t to = static_cast<size_t>(random.below(static_cast<int>(n)));
        size_t b = 0;
        size_t at = locate(i, b);
        const int item = blocks[b][at];
        blocks[b].erase(blocks[b].begin() + static_cast<long>(at));
        // Inserting at n - 1 puts the item at the very end.
        at = locate(to, b);
        blocks[b].insert(blocks[b].begin() + static_cast<long>(std::min(at, blocks[b].size())), item);
        if (blocks[b].size() > 2 * blockSize) {
            std::vector<int> tail(blocks[b].begin() + static_cast<long>(blockSize), blocks[b].end());
            blocks[b].resize(blockSize);
            blocks.insert(blocks.begin() + static_cast<long>(b) + 1, std::move(tail));
        }
    }
    items.clear();
    for (auto &block : blocks)
        items.insert(items.end(), block.begin(), block.end());
}

enum class ListKind { Here, Elsewhere, Excluded };

struct ListRequest {
    ListKind kind;
    int entry = -1;  // found entry, or -1
};

// Looks up every predetermined and excluded name in the pool, first match by
// name without regard to letter case, as if the names were taken one by one
// in list order: the same name asked twice finds the next entry of that name.
// Found entries are flagged in `taken`.
std::vector<ListRequest> matchListNames(const ParticipantLists &lists, const std::vector<int> &pool,
                                        const DrawOrderRequest &request, std::vector<char> &taken)
{
    std::vector<ListRequest> requests;
    std::unordered_map<std::string, std::deque<size_t>> waiting;
    std::unordered_set<size_t> lengths;
    auto ask = [&](const std::string &name, ListKind kind) {
        waiting[asciiLower(name)].push_back(requests.size());
        lengths.insert(name.size());
        requests.push_back({kind, -1});
    };
    for (size_t k = 0; k < request.predetermined.size(); ++k)
        for (const auto &name : request.predetermined[k])
            ask(name, static_cast<int>(k) == request.award ? ListKind::Here : ListKind::Elsewhere);
    for (const auto &name : request.excluded)
        ask(name, ListKind::Excluded);
    if (requests.empty())
        return requests;

    size_t open = requests.size();
    for (size_t p = 0; p < pool.size() && open > 0; ++p) {
        const std::string &name = lists.NameList[static_cast<size_t>(pool[p])];
        if (!lengths.count(name.size()))
            continue;
        auto it = waiting.find(asciiLower(name));
        if (it == waiting.end() || it->second.empty())
            continue;
        requests[it->second.front()].entry = pool[p];
        it->second.pop_front();
        taken[p] = 1;
        --open;
    }
    return requests;
}

}  // namespace

EntryRange entryRangeOfLines(long long firstLine, long long lastLine, size_t count)
{
    const long long first = std::max(firstLine - 1, 0LL);
    const long long last = std::min(lastLine - 1, static_cast<long long>(count) - 1);
    if (last < first)
        return {};
    return {static_cast<int>(first), static_cast<int>(last)};
}

int removeDrawnFromPlay(std::vector<int> &order, int &cursor, int &floor, const std::vector<std::string> &state)
{
    if (cursor < 0 || cursor >= static_cast<int>(order.size()))
        return 0;
    const size_t inPlay = static_cast<size_t>(cursor) + 1;
    std::vector<char> seen(state.size(), 0);
    std::vector<char> drop(inPlay, 0);
    for (size_t i = inPlay; i-- > 0;) {
        const size_t entry = static_cast<size_t>(order[i]);
        if (entry >= state.size())
            continue;
        drop[i] = state[entry] == kDrawnMark || seen[entry];
        seen[entry] = 1;
    }
    int removed = 0, belowFloor = 0;
    size_t kept = 0;
    for (size_t i = 0; i < inPlay; ++i) {
        if (!drop[i]) {
            order[kept++] = order[i];
            continue;
        }
        ++removed;
        if (static_cast<int>(i) < floor)
            ++belowFloor;
    }
    if (removed == 0)
        return 0;
    order.erase(order.begin() + static_cast<long>(kept), order.begin() + static_cast<long>(inPlay));
    floor -= belowFloor;
    cursor -= removed;
    return removed;
}

DrawOrder buildDrawOrder(const ParticipantLists &lists, const DrawOrderRequest &request, RandomSource &random)
{
    DrawOrder order;

    // The pool: entries of the range not drawn yet, in list order.
    std::vector<int> pool;
    const int last = std::min(request.range.last, static_cast<int>(lists.size()) - 1);
    const auto eligible = [&request](int i) {
        return !request.eligible || (static_cast<size_t>(i) < request.eligible->size() && (*request.eligible)[i]);
    };
    for (int i = std::max(request.range.first, 0); i <= last; ++i)
        if (lists.StateList[static_cast<size_t>(i)] != kDrawnMark && eligible(i))
            pool.push_back(i);

    std::vector<int> here, setAside, elsewhere;
    if (request.useLists) {
        std::vector<char> taken(pool.size(), 0);
        for (const auto &r : matchListNames(lists, pool, request, taken)) {
            if (r.entry < 0)
                continue;  // not in the pool: drawn already, outside the range or not in the list
            (r.kind == ListKind::Here ? here : r.kind == ListKind::Elsewhere ? elsewhere : setAside).push_back(r.entry);
        }
        setAside.insert(setAside.end(), elsewhere.begin(), elsewhere.end());
        size_t kept = 0;
        for (size_t p = 0; p < pool.size(); ++p)
            if (!taken[p])
                pool[kept++] = pool[p];
        pool.resize(kept);
    }

    long long wanted = request.count;
    if (!request.keep)
        wanted -= static_cast<long long>(here.size());
    if (wanted < 0)
        wanted = 0;

    // People predetermined here win even when nobody else is left to choose.
    if (pool.empty() && (request.keep || here.empty())) {
        order.shortage = PoolShortage::Empty;
        return order;
    }
    if (static_cast<long long>(pool.size()) < wanted) {
        order.shortage = PoolShortage::Short;
        wanted = static_cast<long long>(pool.size());
    }

    random.seedFromClock();
    std::vector<int> chosen;
    chosen.reserve(static_cast<size_t>(wanted) + here.size());
    std::vector<int> remaining;
    if (request.canreAward) {
        for (long long k = 0; k < wanted; ++k)
            chosen.push_back(pool[static_cast<size_t>(random.below(static_cast<int>(pool.size())))]);
        remaining = std::move(pool);
    } else {
        RemainingIndex index(pool.size());
        std::vector<char> picked(pool.size(), 0);
        for (long long k = 0; k < wanted; ++k) {
            const int left = static_cast<int>(pool.size()) - static_cast<int>(k);
            const size_t at = index.take(static_cast<size_t>(random.below(left)));
            chosen.push_back(pool[at]);
            picked[at] = 1;
        }
        remaining.reserve(pool.size() - static_cast<size_t>(wanted));
        for (size_t p = 0; p < pool.size(); ++p)
            if (!picked[p])
                remaining.push_back(pool[p]);
    }

    if (request.useLists) {
        order.setAside = static_cast<int>(setAside.size());
        order.PoolList = std::move(setAside);
    }
    order.PoolList.insert(order.PoolList.end(), remaining.begin(), remaining.end());
    // A supplement does not force the people predetermined for its award.
    if (request.keep)
        order.PoolList.insert(order.PoolList.end(), here.begin(), here.end());
    else
        chosen.insert(chosen.end(), here.begin(), here.end());

    if (request.ntcanrandom)
        moveToRandomPlaces(chosen, random);
    order.chosen = static_cast<int>(chosen.size());
    order.PoolList.insert(order.PoolList.end(), chosen.begin(), chosen.end());
    return order;
}

}  // namespace tessaly
