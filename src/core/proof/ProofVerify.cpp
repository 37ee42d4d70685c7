#include "proof/ProofVerify.h"

#include "draw/DrawOrder.h"
#include "draw/DrawRecord.h"
#include "files/FileIo.h"
#include "files/Paths.h"
#include "participants/ParticipantList.h"
#include "proof/AuditLog.h"
#include "proof/DrawProof.h"
#include "proof/ProofOrder.h"
#include "settings/IniStore.h"
#include "settings/ProgramFiles.h"
#include "text/Base64.h"
#include "text/Gbk.h"
#include "text/Lines.h"
#include "text/SplitField.h"

#include <algorithm>
#include <set>

namespace tessaly {
namespace fs = std::filesystem;
namespace {

std::vector<int> parseNumbers(std::string_view text, bool &ok)
{
    std::vector<int> numbers;
    ok = true;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t comma = text.find(',', pos);
        if (comma == std::string_view::npos)
            comma = text.size();
        int n = 0;
        if (!parseInteger(text.substr(pos, comma - pos), n)) {
            ok = false;
            return {};
        }
        numbers.push_back(n);
        pos = comma + 1;
    }
    return numbers;
}

struct OrderState {
    std::vector<int> order;
    int cursor = -1;
    int floor = 0;
    bool reaward = false;
};

struct Record {
    int award = 0;
    std::string name;
};

// Replays the draw line by line; the first thing that does not match ends it.
class Replay {
public:
    Replay(const ProofFiles &files, VerifyResult &result) : m_files(files), m_result(result) {}

    bool run();

private:
    bool fail(int line, const std::string &what)
    {
        m_result.firstDifference =
            line > 0 ? TSL_GBK("audit.log第") + std::to_string(line) + TSL_GBK("行：") + what : what;
        return false;
    }
    // Reasons that come with an award's order: replaced when the order is
    // built again before anyone was drawn from it (the guests' numbers closing
    // their step), kept when winners were already taken.
    void touchOrder(int award, const std::string &reason)
    {
        auto &reasons = m_orderReasons[award];
        if (std::find(reasons.begin(), reasons.end(), reason) == reasons.end())
            reasons.push_back(reason);
    }
    void foldOrderReasons()
    {
        for (const auto &[award, reasons] : m_orderReasons)
            for (const auto &reason : reasons)
                touch(award, reason);
        m_orderReasons.clear();
        m_stoppedSinceOrder.clear();
    }
    void touch(int award, const std::string &reason)
    {
        auto &reasons = finding(award).reasons;
        if (std::find(reasons.begin(), reasons.end(), reason) == reasons.end())
            reasons.push_back(reason);
    }
    AwardFinding &finding(int award)
    {
        AwardFinding &f = m_result.awards[award];
        if (f.name.empty())
            f.name = awardName(award);
        return f;
    }
    std::string awardName(int award) const
    {
        auto it = m_awardNames.find(award);
        return it != m_awardNames.end() ? it->second : TSL_GBK("奖项") + std::to_string(award + 1);
    }
    std::string entryName(int entry) const
    {
        return entry >= 0 && static_cast<size_t>(entry) < m_lists.size() ? m_lists.NameList[static_cast<size_t>(entry)]
                                                                          : TSL_GBK("（不存在的序号）");
    }

    bool collectSeeds(const std::vector<AuditLine> &lines);
    bool commit(const AuditLine &line, int number);
    bool order(const AuditLine &line, int number);
    bool stop(const AuditLine &line, int number);
    bool giveUp(const AuditLine &line, int number);
    bool redraw(const AuditLine &line, int number);
    bool restore(const AuditLine &line, int number);
    bool compareRecords();

    const ProofFiles &m_files;
    VerifyResult &m_result;
    std::map<int, std::string> m_seeds;
    int m_commitment = 0;
    std::string m_seed;
    std::string m_inputList;
    ParticipantLists m_lists;
    OrderState m_current, m_saved;
    std::vector<Record> m_records;
    int m_carried = 0;
    int m_segmentStops = 0;
    bool m_restarted = false;
    std::set<int> m_builtAwards;
    std::map<int, std::string> m_awardNames;
    struct GuestSteps {
        AuditLine open;
        std::vector<std::string> numbers;
    };
    std::map<int, GuestSteps> m_guestSteps;  // open guest steps by award
    std::map<int, std::vector<std::string>> m_orderReasons;
    std::map<int, bool> m_stoppedSinceOrder;
    bool guests(const AuditLine &line, int number);
    void dropGuestSteps(const std::string &reason);
};

std::string fileOf(const ProofFiles &files, const std::string &name)
{
    auto it = files.find(name);
    return it == files.end() ? std::string() : it->second;
}

bool Replay::collectSeeds(const std::vector<AuditLine> &lines)
{
    if (auto it = m_files.find(std::string(kProofFolder) + "/" + kSeedFile); it != m_files.end())
        m_seeds = parseSeedFile(it->second);
    for (const auto &line : lines) {
        if (line.kind != "reveal")
            continue;
        m_result.revealed = true;
        const std::string seeds = line.field("seeds");
        size_t pos = 0;
        while (pos < seeds.size()) {
            size_t comma = seeds.find(',', pos);
            if (comma == std::string::npos)
                comma = seeds.size();
            const std::string part = seeds.substr(pos, comma - pos);
            pos = comma + 1;
            const size_t colon = part.find(':');
            int n = 0;
            std::string seed;
            if (colon == std::string::npos || !parseInteger(part.substr(0, colon), n) ||
                !fromHex(part.substr(colon + 1), seed) || seed.size() != 32)
                return fail(static_cast<int>(line.seq), TSL_GBK("揭示的种子格式不对"));
            m_seeds[n] = seed;  // the revealed seed is the one checked
        }
    }
    return true;
}

bool Replay::commit(const AuditLine &line, int number)
{
    int n = 0, carried = 0;
    if (!parseInteger(line.field("n"), n) || !parseInteger(line.field("records"), carried) || carried < 0)
        return fail(number, TSL_GBK("承诺记录格式不对"));
    const std::string name = inputsFileName(n);
    auto inputs = m_files.find(name);
    if (inputs == m_files.end())
        return fail(number, TSL_GBK("缺少第") + std::to_string(n) + TSL_GBK("次承诺的抽奖依据文件") + name);
    if (toHex(sha256(inputs->second)) != line.field("inputs"))
        return fail(number, TSL_GBK("第") + std::to_string(n) + TSL_GBK("次承诺的抽奖依据文件") + name +
                                TSL_GBK("与承诺时不同（名单、奖项设置或内定名单被改动）"));
    auto seed = m_seeds.find(n);
    if (seed == m_seeds.end())
        return fail(number, TSL_GBK("第") + std::to_string(n) + TSL_GBK("次承诺的种子尚未揭示，无法验证"));
    const std::string c = commitmentHex(seed->second, inputs->second);
    if (c != line.field("C"))
        return fail(number, TSL_GBK("第") + std::to_string(n) + TSL_GBK("次承诺") + shortCommitment(line.field("C")) +
                                TSL_GBK("与揭示的种子不符（按种子算出") + shortCommitment(c) + TSL_GBK("）"));
    auto parts = parseDrawInputs(inputs->second);
    if (!parts)
        return fail(number, name + TSL_GBK("格式不对"));
    m_result.commitments.push_back(std::to_string(n) + ": " + c);

    if (m_segmentStops > 0) {
        // Winners were drawn under the commitment this one replaces.
        m_restarted = true;
    }
    if (m_commitment > 0)
        dropGuestSteps(TSL_GBK("第") + std::to_string(m_commitment) + TSL_GBK("次承诺在来宾输入数字后被放弃（重新开始）"));
    m_commitment = n;
    m_seed = seed->second;
    m_inputList = (*parts)["data.txt"];
    m_lists = buildParticipantLists(splitLines(m_inputList), PrivacyMask{});
    m_awardNames.clear();
    for (const auto &awardLine : splitLines((*parts)["awards"])) {
        const size_t eq = awardLine.find('=');
        int index = 0;
        if (eq != std::string::npos && parseInteger(awardLine.substr(0, eq), index))
            m_awardNames[index] = SplitField(awardLine.substr(eq + 1), '|', 1);
    }
    m_current = {};
    m_saved = {};
    m_records.clear();
    m_builtAwards.clear();
    m_segmentStops = 0;
    m_result.awards.clear();
    m_orderReasons.clear();
    m_stoppedSinceOrder.clear();
    bool ok = true;
    for (int entry : parseNumbers(line.field("drawn"), ok)) {
        if (entry < 0 || static_cast<size_t>(entry) >= m_lists.size())
            return fail(number, TSL_GBK("承诺记录中已中奖人员的序号超出名单"));
        m_lists.StateList[static_cast<size_t>(entry)] = kDrawnMark;
    }
    if (!ok)
        return fail(number, TSL_GBK("承诺记录格式不对"));
    // Records from before this commitment are taken as they stand in ARecord.dat.
    m_carried = carried;
    int taken = 0;
    for (const auto &recordLine : splitLines(fileOf(m_files, files::kRecord))) {
        if (taken == carried)
            break;
        if (trimBlanks(recordLine).empty())
            continue;
        int award = 0;
        parseInteger(SplitField(recordLine, '|', 1), award);
        m_records.push_back({award, SplitField(recordLine, '|', 3)});
        touch(award, TSL_GBK("承诺之前已有中奖记录（不在本次验证范围内）"));
        ++taken;
    }
    return true;
}

bool Replay::order(const AuditLine &line, int number)
{
    DrawOrderRequest request;
    if (!orderRequestOf(line, request))
        return fail(number, TSL_GBK("抽奖顺序记录格式不对"));
    const std::string what = line.field("what");
    if (poolDigest(m_lists, request.range) != line.field("pool"))
        return fail(number, awardName(request.award) + TSL_GBK("的奖池（未中奖人员）与重算的不同"));
    ProofRandom generator(awardSeed(m_seed, request.award, line.field("guests")),
                          DrawProof::purpose(what, m_commitment, line.seq));
    DrawOrder built = buildDrawOrder(m_lists, request, generator);
    if (orderDigest(built.PoolList) != line.field("order"))
        return fail(number, awardName(request.award) + TSL_GBK("的抽奖顺序与按种子重算的不同"));
    m_current = {built.PoolList, static_cast<int>(built.PoolList.size()) - 1, built.setAside, request.canreAward};
    if (what != "supplement")
        m_saved = m_current;

    const int award = request.award;
    finding(award);
    if (what == "supplement") {
        touch(award, TSL_GBK("补奖（其中奖者可由持有种子的人预知）"));
    } else {
        // An order built again before anyone was drawn from it replaces the
        // earlier one; once winners were taken, the rebuild itself is named.
        if (!m_builtAwards.insert(award).second && m_stoppedSinceOrder[award]) {
            touch(award, TSL_GBK("已抽出中奖者之后抽奖顺序又重新生成过"));
            for (const auto &reason : m_orderReasons[award])
                touch(award, reason);  // the winners taken from the earlier order
        }
        m_orderReasons[award].clear();
        m_stoppedSinceOrder[award] = false;
    }
    const std::string guests = line.field("guests");
    auto step = m_guestSteps.find(award);
    std::string expected;
    if (step != m_guestSteps.end() && what == "order") {
        for (const auto &n : step->second.numbers)
            expected += (expected.empty() ? "" : ",") + n;
        // The pool and the rules written down when the guests began must still be the ones used.
        for (const char *key : {"count", "keep", "lists", "reaward", "shuffle", "range", "pre", "excl", "pool"})
            if (step->second.open.field(key) != line.field(key)) {
                touch(award, TSL_GBK("来宾输入数字期间奖池或规则有改动（中奖者可被预知）"));
                break;
            }
        m_guestSteps.erase(step);
    }
    if (guests != expected)
        return fail(number, awardName(award) + TSL_GBK("的抽奖顺序用的来宾数字“") + guests +
                                TSL_GBK("”与记录的来宾数字“") + expected + TSL_GBK("”不同"));
    if (guests.empty())
        touchOrder(award, TSL_GBK("没有来宾输入的数字，只用了组织者的种子"));
    if (what == "jump")
        touchOrder(award, TSL_GBK("从某奖项开始抽（操作员选择了奖项）"));
    if (request.useLists) {
        if (static_cast<size_t>(award) < request.predetermined.size() &&
            !request.predetermined[static_cast<size_t>(award)].empty())
            touchOrder(award, TSL_GBK("有内定人员"));
        if (!request.excluded.empty())
            touchOrder(award, TSL_GBK("有黑名单（排除人员）"));
    }
    if (request.range.first != 0 || request.range.last != static_cast<int>(m_lists.size()) - 1)
        touchOrder(award, TSL_GBK("限定了分组范围"));
    if (m_restarted)
        touchOrder(award, TSL_GBK("在已抽出中奖者之后重新开始过抽奖"));
    return true;
}

bool Replay::stop(const AuditLine &line, int number)
{
    int award = 0, cursor = 0;
    bool ok = true;
    const std::vector<int> winners = parseNumbers(line.field("winners"), ok);
    if (!ok || !parseInteger(line.field("award"), award) || !parseInteger(line.field("cursor"), cursor) ||
        award < 0 || award >= 50)
        return fail(number, TSL_GBK("停止抽奖记录格式不对"));
    OrderState &s = m_current;
    for (size_t k = 0; k < winners.size(); ++k) {
        while (s.cursor >= std::max(s.floor, 0) && s.cursor < static_cast<int>(s.order.size()) &&
               m_lists.StateList[static_cast<size_t>(s.order[static_cast<size_t>(s.cursor)])] == kDrawnMark &&
               !s.reaward)
            --s.cursor;
        if (s.cursor < std::max(s.floor, 0) || s.cursor >= static_cast<int>(s.order.size()))
            return fail(number, awardName(award) + TSL_GBK("这一批记录的中奖者比抽奖顺序中剩下的多"));
        const int expected = s.order[static_cast<size_t>(s.cursor)];
        if (expected != winners[k])
            return fail(number, awardName(award) + TSL_GBK("这一批第") + std::to_string(k + 1) +
                                    TSL_GBK("名中奖者应为“") + entryName(expected) + TSL_GBK("”，记录为“") +
                                    entryName(winners[k]) + TSL_GBK("”"));
        m_lists.StateList[static_cast<size_t>(expected)] = kDrawnMark;
        m_records.push_back({award, m_lists.NameList[static_cast<size_t>(expected)]});
        --s.cursor;
        ++finding(award).winners;
    }
    m_stoppedSinceOrder[award] = true;
    if (cursor != s.cursor)
        return fail(number, TSL_GBK("停止后的抽奖位置与重算的不同"));
    if (line.field("supplement") != "1")
        m_saved = m_current;
    ++m_segmentStops;
    return true;
}

bool Replay::giveUp(const AuditLine &line, int number)
{
    int award = 0, position = 0, returned = -1;
    if (!parseInteger(line.field("award"), award) || !parseInteger(line.field("position"), position) ||
        !parseInteger(line.field("returned"), returned))
        return fail(number, TSL_GBK("弃奖记录格式不对"));
    int seen = -1;
    for (auto it = m_records.begin(); it != m_records.end(); ++it) {
        if (it->award != award || ++seen != position)
            continue;
        if (returned >= 0) {
            if (static_cast<size_t>(returned) >= m_lists.size() ||
                !equalsIgnoreAsciiCase(m_lists.NameList[static_cast<size_t>(returned)], it->name))
                return fail(number, TSL_GBK("弃奖回归奖池的人员与弃奖的中奖者不符"));
            m_lists.StateList[static_cast<size_t>(returned)] = std::to_string(returned);
        }
        m_records.erase(it);
        touch(award, TSL_GBK("有弃奖"));
        return true;
    }
    return fail(number, awardName(award) + TSL_GBK("没有第") + std::to_string(position + 1) + TSL_GBK("名中奖者可弃"));
}

bool Replay::redraw(const AuditLine &line, int number)
{
    int award = 0, cursor = 0, floor = 0, chosen = 0;
    if (!parseInteger(line.field("award"), award) || !parseInteger(line.field("cursor"), cursor) ||
        !parseInteger(line.field("floor"), floor) || !parseInteger(line.field("chosen"), chosen) || award < 0 ||
        award >= 50)
        return fail(number, TSL_GBK("重抽记录格式不对"));
    OrderState &s = m_current;
    const int low = std::max(s.floor, 0);
    if (cursor != s.cursor || floor != low || s.cursor < low || s.cursor >= static_cast<int>(s.order.size()))
        return fail(number, awardName(award) + TSL_GBK("重抽时的抽奖位置与重算的不同"));
    // The one who replaces the absent winner: uniform among the entries still in play.
    ProofRandom generator(awardSeed(m_seed, award, {}), DrawProof::purpose("redraw", m_commitment, line.seq));
    const int expected = low + generator.below(s.cursor - low + 1);
    if (expected != chosen)
        return fail(number, awardName(award) + TSL_GBK("重抽选中的位置应为") + std::to_string(expected) +
                                TSL_GBK("，记录为") + std::to_string(chosen));
    std::swap(s.order[static_cast<size_t>(expected)], s.order[static_cast<size_t>(s.cursor)]);
    touch(award, TSL_GBK("有重抽（其中奖者可由持有种子的人预知）"));
    return true;
}

bool Replay::guests(const AuditLine &line, int number)
{
    int award = -1;
    if (!parseInteger(line.field("award"), award) || award < 0 || award >= 50)
        return fail(number, TSL_GBK("来宾数字记录格式不对"));
    if (line.kind == "guests-open") {
        m_guestSteps[award] = {line, {}};
        return true;
    }
    auto step = m_guestSteps.find(award);
    if (line.kind == "guests-dropped") {
        if (step != m_guestSteps.end() && !step->second.numbers.empty())
            touch(award, TSL_GBK("来宾输入数字后该环节被放弃"));
        if (step != m_guestSteps.end())
            m_guestSteps.erase(step);
        return true;
    }
    const std::string value = line.field("number");
    if (step == m_guestSteps.end())
        return fail(number, TSL_GBK("来宾数字记录在来宾环节打开之前"));
    if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos)
        return fail(number, TSL_GBK("来宾数字格式不对"));
    step->second.numbers.push_back(value);
    return true;
}

void Replay::dropGuestSteps(const std::string &reason)
{
    for (const auto &[award, step] : m_guestSteps)
        if (!step.numbers.empty()) {
            touch(award, reason);
            m_result.notes.push_back(awardName(award) + TSL_GBK("：") + reason);
        }
    m_guestSteps.clear();
}

bool Replay::restore(const AuditLine &line, int number)
{
    dropGuestSteps(TSL_GBK("来宾数字环节被程序重启打断"));
    int cursor = 0;
    if (!parseInteger(line.field("cursor"), cursor))
        return fail(number, TSL_GBK("重启记录格式不对"));
    m_current = m_saved;
    // The start takes people drawn since (by a supplement) out of the part still in play.
    if (!m_current.reaward)
        removeDrawnFromPlay(m_current.order, m_current.cursor, m_current.floor, m_lists.StateList);
    if (orderDigest(m_current.order) != line.field("order") || cursor != m_current.cursor)
        return fail(number, TSL_GBK("程序重启后恢复的抽奖顺序与记录不符"));
    m_saved = m_current;
    return true;
}

bool Replay::compareRecords()
{
    std::vector<Record> stored;
    for (const auto &recordLine : splitLines(fileOf(m_files, files::kRecord))) {
        if (trimBlanks(recordLine).empty())
            continue;
        int award = -1;
        parseInteger(SplitField(recordLine, '|', 1), award);
        stored.push_back({award, SplitField(recordLine, '|', 3)});
    }
    const size_t n = std::min(stored.size(), m_records.size());
    for (size_t i = 0; i < n; ++i)
        if (stored[i].award != m_records[i].award || stored[i].name != m_records[i].name)
            return fail(0, TSL_GBK("中奖记录ARecord.dat第") + std::to_string(i + 1) + TSL_GBK("条是“") +
                               awardName(stored[i].award) + " " + stored[i].name + TSL_GBK("”，按抽奖过程应为“") +
                               awardName(m_records[i].award) + " " + m_records[i].name + TSL_GBK("”"));
    if (stored.size() > m_records.size())
        return fail(0, TSL_GBK("中奖记录ARecord.dat第") + std::to_string(n + 1) + TSL_GBK("条“") + stored[n].name +
                           TSL_GBK("”在audit.log中没有对应的抽奖（记录被添加，或audit.log被截短）"));
    if (stored.size() < m_records.size())
        return fail(0, TSL_GBK("中奖记录ARecord.dat缺少“") + m_records[n].name +
                           TSL_GBK("”等") + std::to_string(m_records.size() - n) + TSL_GBK("条记录"));
    return true;
}

bool Replay::run()
{
    const AuditReadout readout = readAuditLog(fileOf(m_files, kAuditLog));
    if (readout.faultLine != 0)
        return fail(readout.faultLine, readout.fault);
    if (!readout.lines.empty())
        m_result.finalHash = readout.lines.back().hash;
    if (!collectSeeds(readout.lines))
        return false;
    for (const auto &line : readout.lines) {
        const int number = static_cast<int>(line.seq);
        if (line.kind != "commit" && m_commitment == 0)
            return fail(number, TSL_GBK("在第一次承诺之前有抽奖记录"));
        bool ok = true;
        if (line.kind == "commit")
            ok = commit(line, number);
        else if (line.kind == "order")
            ok = order(line, number);
        else if (line.kind == "stop")
            ok = stop(line, number);
        else if (line.kind == "giveup")
            ok = giveUp(line, number);
        else if (line.kind == "redraw")
            ok = redraw(line, number);
        else if (line.kind == "restore")
            ok = restore(line, number);
        else if (line.kind == "guests-open" || line.kind == "guest" || line.kind == "guests-dropped")
            ok = guests(line, number);
        if (!ok)
            return false;
    }
    if (m_commitment == 0)
        return fail(0, TSL_GBK("audit.log中没有抽奖承诺"));
    foldOrderReasons();
    if (auto list = m_files.find(files::kParticipants); list != m_files.end() && list->second != m_inputList)
        return fail(0, TSL_GBK("参选名单data.txt在最后一次承诺之后被改动"));
    return compareRecords();
}

void composeReport(VerifyResult &r)
{
    std::string t = TSL_GBK("抽奖验证报告") + "\r\n";
    for (const auto &c : r.commitments)
        t += TSL_GBK("承诺") + c.substr(0, c.find(':')) + TSL_GBK("：") + shortCommitment(c.substr(c.find(':') + 2)) +
             (r.revealed ? TSL_GBK("（与揭示的种子相符）") : TSL_GBK("（与保存的种子相符）")) + "\r\n";
    if (!r.finalHash.empty())
        t += TSL_GBK("校验链最后的校验值：") + r.finalHash + "\r\n";
    if (!r.revealed)
        t += TSL_GBK("注意：种子尚未揭示，这次验证用的是活动文件夹中保存的种子。") + "\r\n";
    if (!r.firstDifference.empty()) {
        t += TSL_GBK("结果：不相符。第一处不同：") + r.firstDifference + "\r\n";
        r.report = t;
        return;
    }
    t += TSL_GBK("结果：全部抽奖顺序、每次停止和弃奖都按种子重算相符，中奖记录与重算结果一致。") + "\r\n";
    for (const auto &note : r.notes)
        t += TSL_GBK("注意：") + note + "\r\n";
    for (const auto &[index, award] : r.awards) {
        t += award.name + TSL_GBK("：中奖") + std::to_string(award.winners) + TSL_GBK("名；");
        if (award.reasons.empty()) {
            t += TSL_GBK("纯随机抽取") + "\r\n";
            continue;
        }
        t += TSL_GBK("不能称为纯随机抽取：");
        for (size_t i = 0; i < award.reasons.size(); ++i)
            t += (i ? TSL_GBK("；") : "") + award.reasons[i];
        t += "\r\n";
    }
    r.report = t;
}

}  // namespace

VerifyResult verifyProof(const ProofFiles &files)
{
    VerifyResult result;
    Replay replay(files, result);
    if (!replay.run()) {
        result.outcome = VerifyOutcome::Mismatch;
    } else {
        bool touched = !result.notes.empty();
        for (const auto &[index, award] : result.awards)
            touched = touched || !award.reasons.empty();
        result.outcome = touched ? VerifyOutcome::Touched : VerifyOutcome::Pure;
    }
    composeReport(result);
    return result;
}

Result<ProofFiles> readProofFolder(const fs::path &dir)
{
    ProofFiles files;
    for (const char *name : {kAuditLog, files::kRecord, files::kParticipants}) {
        auto data = readFile(name == std::string(kAuditLog) ? dir / name : programFile(dir, name));
        if (!data) {
            if (data.code() == ErrorCode::FileMissing)
                continue;
            return data.error();
        }
        files[name] = std::move(*data);
    }
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(dir / kProofFolder, ec)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file(ec) || !(name == kSeedFile || (name.starts_with("inputs-") && name.ends_with(".txt"))))
            continue;
        auto data = readFile(entry.path());
        if (!data)
            return data.error();
        files[std::string(kProofFolder) + "/" + name] = std::move(*data);
    }
    return files;
}

Result<int> revealSeeds(const fs::path &dir)
{
    auto text = readFile(dir / kAuditLog);
    if (!text)
        return text.error();
    const AuditReadout readout = readAuditLog(*text);
    if (readout.faultLine != 0)
        return makeError(ErrorCode::Inconsistent, TSL_GBK("audit.log第") + std::to_string(readout.faultLine) +
                                                      TSL_GBK("行：") + readout.fault + TSL_GBK("，不能揭示。"));
    int last = 0;
    bool revealed = false;
    for (const auto &line : readout.lines) {
        if (line.kind == "commit") {
            parseInteger(line.field("n"), last);
            revealed = false;
        } else if (line.kind == "reveal") {
            revealed = true;
        }
    }
    if (last == 0)
        return makeError(ErrorCode::BadInput, TSL_GBK("audit.log中没有抽奖承诺，没有可揭示的种子。"));
    if (revealed)
        return makeError(ErrorCode::BadInput, TSL_GBK("种子已经揭示过了。"));
    auto seedText = readFile(seedFilePath(dir));
    if (!seedText)
        return seedText.error();
    const auto seeds = parseSeedFile(*seedText);
    std::string field;
    int count = 0;
    for (const auto &[n, seed] : seeds) {
        if (n > last)
            continue;  // a seed whose commitment never reached the log
        field += (field.empty() ? "" : ",") + std::to_string(n) + ":" + toHex(seed);
        ++count;
    }
    AuditChain chain(readout.lines.back().seq, readout.lines.back().hash);
    const std::string line = chain.append("reveal", {{"seeds", field}});
    if (Status appended = appendFileDurable(dir / kAuditLog, line); !appended)
        return appended.error();
    return count;
}

}  // namespace tessaly
