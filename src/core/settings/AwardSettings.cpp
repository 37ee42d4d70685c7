#include "settings/AwardSettings.h"

#include "settings/IniStore.h"
#include "text/Gbk.h"
#include "text/SplitField.h"
#include "text/Lines.h"
#include "text/SplitField.h"

namespace tessaly {
namespace {

Refusal refuse(const std::string &message, const char *caption, GradeField focus = GradeField::None)
{
    return Refusal{message, utf8ToGbk(caption), focus};
}

}  // namespace

std::vector<int> splitBatches(int winners, int batches)
{
    if (batches < 1)
        return {};
    const int per = winners / batches + (winners % batches ? 1 : 0);
    std::vector<int> counts(static_cast<size_t>(batches), per);
    counts.back() = winners - (batches - 1) * per;
    return counts;
}

std::optional<Refusal> checkGrade(const std::string &winnersText, const std::string &batchesText,
                                  const std::vector<std::string> &counts, std::string &detail)
{
    const std::string w = trimBlanks(winnersText), b = trimBlanks(batchesText);
    if (w.empty())
        return refuse(TSL_GBK("'中奖名额'不能为空！请重新输入"), "提示", GradeField::Winners);
    if (b.empty())
        return refuse(TSL_GBK("'批数'不能为空！请重新输入"), "提示", GradeField::Batches);
    int winners = 0, batches = 0;
    if (!parseInteger(w, winners) || winners < 1)
        return refuse(TSL_GBK("'中奖名额'必须是大于0的数字！请重新输入"), "提示", GradeField::Winners);
    if (!parseInteger(b, batches) || batches < 1)
        return refuse(TSL_GBK("'批数'必须是大于0的数字！请重新输入"), "提示", GradeField::Batches);
    if (winners < batches)
        return refuse(TSL_GBK("'批数'不能大于'中奖名额'！请重新输入"), "提示", GradeField::Batches);
    long long sum = 0;
    std::string joined;
    for (const auto &c : counts) {
        const std::string t = trimBlanks(c);
        if (t.empty())
            return refuse(TSL_GBK("批次中名额不能为空！请重新输入数据"), "错误", GradeField::BatchCounts);
        int n = 0;
        if (!parseInteger(t, n) || n < 1)
            return refuse(TSL_GBK("批次中名额必须是大于0的数字！请重新输入数据"), "错误", GradeField::BatchCounts);
        sum += n;
        if (!joined.empty())
            joined += '+';
        joined += t;
    }
    if (sum != winners)
        return refuse(TSL_GBK("中奖名额和批次中总名额不相等！请重新输入数据"), "错误", GradeField::BatchCounts);
    detail = joined;
    return std::nullopt;
}

std::optional<Refusal> checkAwardNames(const std::string &name, const std::string &prizeName)
{
    const char *text = "奖项名称和奖品名称中不能含有“|”字符！请重新输入";
    if (!separatorPositions(name, '|').empty())
        return refuse(utf8ToGbk(text), "提示", GradeField::Name);
    if (!separatorPositions(prizeName, '|').empty())
        return refuse(utf8ToGbk(text), "提示", GradeField::PrizeName);
    return std::nullopt;
}

std::optional<Refusal> checkAwardRows(const std::vector<std::vector<std::string>> &rows, int &totalWinners)
{
    auto cell = [](const std::vector<std::string> &row, size_t i) {
        return i < row.size() ? trimBlanks(row[i]) : std::string();
    };
    if (rows.empty() || (rows.size() == 1 && cell(rows[0], 1).empty()))
        return refuse(TSL_GBK("至少要设定一个奖项！请设定奖项"), "提示");
    if (rows.size() > static_cast<size_t>(kMaxAwards))
        return refuse(TSL_GBK("奖项最多只能设定50个！请删除多余的奖项"), "提示");
    long long total = 0;
    for (size_t r = 0; r < rows.size(); ++r) {
        int n = 0;
        if (!parseInteger(cell(rows[r], 1), n) || n < 1)
            return refuse(TSL_GBK("第") + std::to_string(r + 1) + TSL_GBK("个奖项的中奖名额“") + cell(rows[r], 1) +
                              TSL_GBK("”不是有效的数字！请修改奖项"),
                          "提示");
        if (!separatorPositions(cell(rows[r], 0), '|').empty() || !separatorPositions(cell(rows[r], 4), '|').empty())
            return refuse(TSL_GBK("第") + std::to_string(r + 1) + TSL_GBK("个奖项“") + cell(rows[r], 0) +
                              TSL_GBK("”的奖项名称或奖品名称中含有“|”字符！请修改奖项"),
                          "提示");
        total += n;
    }
    totalWinners = static_cast<int>(total);
    return std::nullopt;
}

}  // namespace tessaly
