// The draw's side of the hall: the winners taken back, which the hall's pages
// keep showing struck through even after a restart, and "只抽已签到的人", where
// each award takes its pool from the people checked in at its first roll.
#include "draw/DrawSession.h"

#include "draw/DrawNotices.h"
#include "draw/DrawRecord.h"
#include "draw/StatusTemplate.h"
#include "files/FileIo.h"
#include "settings/ProgramFiles.h"
#include "text/Gbk.h"
#include "text/Lines.h"
#include "text/SplitField.h"

#include <algorithm>
#include <charconv>

namespace tessaly {
using namespace session;
namespace {

// award|entry|display|name: the name after the last "|", the display (which a
// privacy mask may give a "|") between the entry and the name.
std::string withdrawalLine(int award, int entry, const std::string &display, const std::string &name)
{
    return std::to_string(award) + "|" + std::to_string(entry) + "|" + display + "|" + name + "\r\n";
}

bool parseWithdrawal(std::string_view line, int &award, DrawSession::Withdrawal &w)
{
    const size_t bar1 = line.find('|');
    const size_t bar2 = bar1 == std::string_view::npos ? bar1 : line.find('|', bar1 + 1);
    const size_t last = line.rfind('|');
    if (bar2 == std::string_view::npos || last < bar2)
        return false;
    auto number = [](std::string_view text, int &value) {
        auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        return ec == std::errc() && ptr == text.data() + text.size() && !text.empty();
    };
    if (!number(line.substr(0, bar1), award) || !number(line.substr(bar1 + 1, bar2 - bar1 - 1), w.entry) ||
        award < 0 || award >= kMaxAwards)
        return false;
    w.display = std::string(last == bar2 ? std::string_view() : line.substr(bar2 + 1, last - bar2 - 1));
    w.name = std::string(line.substr(last + 1));
    return true;
}

}  // namespace

const std::vector<int> *DrawSession::hallPool(int award) const
{
    const auto it = m_hallPools.find(award);
    return it == m_hallPools.end() ? nullptr : &it->second;
}

void DrawSession::readHallFiles(DrawOutcome &out)
{
    for (auto &list : m_withdrawn)
        list.clear();
    m_hallPools.clear();
    // Both only serve the hall: one that cannot be read is named, and the draw goes on.
    auto withdrawn = readFile(m_dir / files::kWithdrawn);
    if (withdrawn) {
        for (const std::string &line : splitLines(*withdrawn)) {
            int award = -1;
            Withdrawal w;
            if (parseWithdrawal(line, award, w)) {
                if (w.entry >= static_cast<int>(m_lists.size()))
                    w.entry = -1;
                m_withdrawn[static_cast<size_t>(award)].push_back(std::move(w));
            }
        }
    } else if (withdrawn.code() != ErrorCode::FileMissing) {
        notifyError(out, withdrawn.error());
    }
    auto pools = readFile(m_dir / files::kHallPools);
    if (pools)
        m_hallPools = parseHallPools(*pools, m_lists.size());
    else if (pools.code() != ErrorCode::FileMissing)
        notifyError(out, pools.error(), TSL_GBK("签到奖池无法读取，已开始的奖项将在下次开始时重新按签到取奖池："));
}

void DrawSession::clearHallFiles(DrawCommit &commit)
{
    for (auto &list : m_withdrawn)
        list.clear();
    m_hallPools.clear();
    // An event that never used them does not get them.
    for (const char *name : {files::kWithdrawn, files::kHallPools}) {
        std::error_code ec;
        if (std::filesystem::exists(m_dir / name, ec))
            commit.files.emplace_back(name, std::string());
    }
}

void DrawSession::noteWithdrawal(int award, const std::string &display, const std::string &name, int entry,
                                 DrawCommit &commit)
{
    if (award < 0 || award >= kMaxAwards)
        return;
    m_withdrawn[static_cast<size_t>(award)].push_back({display, name, entry});
    std::string text;
    for (size_t a = 0; a < m_withdrawn.size(); ++a)
        for (const Withdrawal &w : m_withdrawn[a])
            text += withdrawalLine(static_cast<int>(a), w.entry, w.display, w.name);
    commit.files.emplace_back(files::kWithdrawn, std::move(text));
}

bool DrawSession::takeHallPool(DrawOutcome &out)
{
    const int index = m_state.BatchAward;
    const LGrade *a = award(index);
    if (!m_options.onlyCheckedIn || m_flags.RedrawMode || !a || hallPool(index))
        return true;
    auto inHall = checkedInEntries(m_dir, m_lists.NameList);
    if (!inHall) {
        notifyError(out, inHall.error(), TSL_GBK("只抽已签到的人：签到记录无法读取，本奖项暂不开始："));
        return false;
    }
    std::vector<int> pool;
    for (size_t i = 0; i < inHall->size(); ++i)
        if ((*inHall)[i])
            pool.push_back(static_cast<int>(i));

    // The order prepared earlier (at the start, or when the award came up) is
    // replaced by one from the people checked in now; a refusal keeps it.
    const std::vector<int> before = m_pool;
    const DrawState kept = m_state;
    const bool orderUnsaved = m_orderUnsaved;
    const bool supplement = m_flags.SupplementMode;
    const int count = supplement ? m_state.BatchSize : std::max(a->winners - m_state.DrawnInAward, 0);
    m_hallPools[index] = pool;
    DrawOutcome built;
    if (pool.empty() || !BuildDrawOrder(index, count, supplement, m_flags.PredeterminedActive, built)) {
        m_hallPools.erase(index);
        m_pool = before;
        m_state = kept;
        m_orderUnsaved = orderUnsaved;
        notify(out,
               a->name + TSL_GBK("：只抽已签到的人，但奖池里还没有已签到的人（已签到 ") + std::to_string(pool.size()) +
                   TSL_GBK(" 人），本奖项暂不开始。请等大家签到，或在控制台为到场的人签到后，再按开始键。"),
               ErrorCode::BadInput);
        return false;
    }
    out.notices.insert(out.notices.end(), built.notices.begin(), built.notices.end());

    // The pool, the order and the position go to disk in one save, with the history.
    int inPool = 0;
    std::string names;
    // Those who can win here: the order's part in play above the people set aside.
    const int last = std::clamp(m_state.RollCount, 0, static_cast<int>(m_pool.size()));
    const int floor = std::clamp(m_state.OrderFloor, 0, last);
    std::vector<int> sorted(m_pool.begin() + floor, m_pool.begin() + last);
    std::sort(sorted.begin(), sorted.end());
    for (int entry : sorted) {
        names += "\r\n" + m_lists.NameList[static_cast<size_t>(entry)];
        ++inPool;
    }
    DrawCommit commit;
    // A supplement's order lives only while it rolls; the award's saved order stays.
    if (!supplement)
        commit.orderText = orderFileText(m_pool);
    commit.files.emplace_back(files::kHallPools, formatHallPools(m_hallPools));
    commit.logBlock = "\r\n<" + timestamp() + ">  [" + a->name + "] " + TSL_GBK("只抽已签到的人：已签到 ") +
                      std::to_string(pool.size()) + TSL_GBK(" 人，本奖项奖池 ") + std::to_string(inPool) +
                      TSL_GBK(" 人：") + names + "\r\n";
    // The audit log's order line names the whole pool (its "eligible"), so anyone can rebuild the order.
    saveDraw(std::move(commit), !supplement, out);
    if (supplement) {
        m_state.BatchSize = std::clamp(m_state.BatchSize, 0, std::max(m_state.RollCount - m_state.OrderFloor, 0));
        const std::string n = std::to_string(m_state.BatchSize);
        m_captions.Status = FillStatusTemplate(m_grade.templates.bCaption, a->name, "1", "1", n, n, "0");
    } else {
        fillReadyCaptions();
    }
    return true;
}

}  // namespace tessaly
