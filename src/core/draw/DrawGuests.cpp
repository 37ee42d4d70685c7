// Guests' numbers: before an award's first roll its pool and rules are
// written down, guests type numbers nobody could foresee, and the first roll
// mixes them into the award's seed and builds the award's order from it.
#include "draw/DrawSession.h"

#include "draw/DrawNotices.h"
#include "draw/DrawRecord.h"
#include "files/FileIo.h"
#include "files/Paths.h"
#include "proof/ProofOrder.h"
#include "settings/ProgramFiles.h"
#include "text/Gbk.h"
#include "text/Lines.h"

namespace tessaly {
using namespace session;
namespace {

constexpr size_t kMaxGuestDigits = 18;
constexpr size_t kMaxGuestNumbers = 20;

std::string joinedNumbers(const std::vector<std::string> &numbers, const char *separator)
{
    std::string text;
    for (const auto &n : numbers)
        text += (text.empty() ? "" : separator) + n;
    return text;
}

}  // namespace

DrawOutcome DrawSession::openGuestStep()
{
    DrawOutcome out;
    if (refuseUnrestored(out) || refuseRevealed(out))
        return out;
    const LGrade *a = award(m_state.CurrentAward);
    if (!a || !m_flags.BatchReady || m_flags.Rolling || m_flags.SupplementMode || m_state.CurrentBatch != 1 ||
        m_state.DrawnInAward != 0) {
        notify(out, TSL_GBK("来宾数字只能在一个奖项开始抽取之前输入：请先准备好这个奖项的第一批，在开始滚动之前打开。"),
               ErrorCode::BadInput);
        return out;
    }
    if (!m_proof.committed()) {
        notify(out, TSL_GBK("当前没有抽奖承诺，不能使用来宾数字。请先重新开始抽奖。"), ErrorCode::BadInput);
        return out;
    }
    if (m_guests.open && m_guests.award == m_state.CurrentAward)
        return out;  // already open: the numbers typed so far stay

    // What decides this award from now on is written down before anyone types.
    const auto rules = awardRequest(m_state.CurrentAward, a->winners, false, m_flags.PredeterminedActive, out);
    if (!rules)
        return out;  // the rules could not be read: the notice says which
    const DrawOrderRequest &request = *rules;
    AuditFields fields = orderLineFields(request, "order", poolDigest(m_lists, request.range), DrawOrder{});
    std::erase_if(fields, [](const auto &f) { return f.first == "order" || f.first == "chosen" || f.first == "floor" ||
                                                     f.first == "built" || f.first == "what"; });
    m_proof.add("guests-open", fields);
    std::string block = "\r\n<" + timestamp() + ">  [" + a->name + "] " + TSL_GBK("来宾数字环节开始，奖池中的人员：");
    const int last = std::min(request.range.last, static_cast<int>(m_lists.size()) - 1);
    int inPool = 0;
    for (int i = std::max(request.range.first, 0); i <= last; ++i)
        if (m_lists.StateList[static_cast<size_t>(i)] != kDrawnMark) {
            block += "\r\n" + m_lists.NameList[static_cast<size_t>(i)];
            ++inPool;
        }
    block += "\r\n" + TSL_GBK("共") + std::to_string(inPool) + TSL_GBK("人");
    if (request.useLists)
        block += TSL_GBK("；内定和黑名单生效");
    if (Status logged = appendFileDurable(programFile(m_dir, files::kLog), block); !logged)
        notifyError(out, logged.error());
    m_guests = {true, m_state.CurrentAward, {}};
    m_captions.guestNumbers.clear();
    saveProofLines(out);
    return out;
}

DrawOutcome DrawSession::addGuestNumber(const std::string &typed)
{
    DrawOutcome out;
    if (!m_guests.open || m_guests.award != m_state.CurrentAward || m_flags.Rolling) {
        notify(out, TSL_GBK("请先打开来宾数字环节。"), ErrorCode::BadInput);
        return out;
    }
    const std::string number = trimBlanks(typed);
    const bool digits = !number.empty() && number.size() <= kMaxGuestDigits &&
                        number.find_first_not_of("0123456789") == std::string::npos;
    if (!digits) {
        notify(out, TSL_GBK("请输入1到18位数字（掷骰子、手机秒表的读数等）。"), ErrorCode::BadInput);
        return out;
    }
    if (m_guests.numbers.size() >= kMaxGuestNumbers) {
        notify(out, TSL_GBK("一个奖项最多输入20个来宾数字。"), ErrorCode::BadInput);
        return out;
    }
    m_guests.numbers.push_back(number);
    m_proof.add("guest", {{"award", std::to_string(m_guests.award)},
                          {"k", std::to_string(m_guests.numbers.size())},
                          {"number", number}});
    saveProofLines(out);
    m_captions.guestNumbers = joinedNumbers(m_guests.numbers, "   ");
    if (const LGrade *a = award(m_guests.award))
        if (Status logged = appendFileDurable(programFile(m_dir, files::kLog),
                                              "\r\n<" + timestamp() + ">  [" + a->name + "] " + TSL_GBK("来宾数字") +
                                                  std::to_string(m_guests.numbers.size()) + TSL_GBK("：") + number);
            !logged)
            notifyError(out, logged.error());
    return out;
}

bool DrawSession::closeGuestStep(DrawOutcome &out)
{
    const GuestStep step = std::exchange(m_guests, {});
    m_captions.guestNumbers.clear();
    const LGrade *a = award(step.award);
    if (!a)
        return false;
    // The order prepared earlier is replaced by one from the award seed with the numbers.
    m_buildKind = "order";
    m_buildGuests = joinedNumbers(step.numbers, ",");
    const bool built = BuildDrawOrder(step.award, a->winners, false, m_flags.PredeterminedActive, out);
    saveBuiltOrder(out);
    fillReadyCaptions();
    return built;
}

}  // namespace tessaly
