#include "draw/StatusTemplate.h"

#include "text/Gbk.h"

namespace tessaly {
namespace {

void replaceAll(std::string &text, const std::string &placeholder, std::string_view value)
{
    if (value.empty())
        return;
    size_t at = 0;
    while ((at = text.find(placeholder, at)) != std::string::npos) {
        text.replace(at, placeholder.size(), value);
        at += value.size();
    }
}

}  // namespace

std::string FillStatusTemplate(std::string_view templ, std::string_view awardName, std::string_view batches,
                               std::string_view batchNumber, std::string_view batchWinners,
                               std::string_view awardWinners, std::string_view drawnSoFar)
{
    std::string text(templ);
    replaceAll(text, TSL_GBK("<奖项名称>"), awardName);
    replaceAll(text, TSL_GBK("<当前奖项已抽名额>"), drawnSoFar);
    replaceAll(text, TSL_GBK("<当前奖项总名额>"), awardWinners);
    replaceAll(text, TSL_GBK("<本轮抽取名额>"), batchWinners);
    replaceAll(text, TSL_GBK("<当前奖项轮数>"), batchNumber);
    replaceAll(text, TSL_GBK("<当前奖项总轮数>"), batches);
    return text;
}

}  // namespace tessaly
