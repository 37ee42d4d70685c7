#include "draw/CorrectionLog.h"

#include "text/Gbk.h"

namespace tessaly {
namespace {

std::string block(std::string_view timestamp, const std::string &heading, std::string_view awardName,
                  const std::string &line)
{
    std::string text = "\r\n<";
    text += timestamp;
    text += ">  ";
    text += heading;
    text += "\r\n[";
    text += awardName;
    text += "] ";
    text += line;
    text += "\r\n";
    return text;
}

std::string quoted(std::string_view text)
{
    return TSL_GBK("“") + std::string(text) + TSL_GBK("”");
}

}  // namespace

std::string giveUpLogBlock(std::string_view timestamp, std::string_view awardName, std::string_view name,
                           bool returnedToPool)
{
    std::string line(name);
    line += "  ";
    if (returnedToPool)
        line += TSL_GBK("(弃奖人员回归奖池)");
    return block(timestamp, TSL_GBK("弃奖"), awardName, line);
}

std::string supplementLogBlock(std::string_view timestamp, std::string_view awardName, int count, bool newAward,
                               std::string_view prizeName)
{
    std::string line = newAward ? TSL_GBK("新增奖项，") : std::string();
    line += TSL_GBK("补抽") + std::to_string(count) + TSL_GBK("名");
    if (newAward)
        line += TSL_GBK("，奖品：") + std::string(prizeName);
    return block(timestamp, TSL_GBK("补奖"), awardName, line);
}

std::string prizeRenameLogBlock(std::string_view timestamp, std::string_view awardName, std::string_view oldPrize,
                                std::string_view newPrize)
{
    return block(timestamp, TSL_GBK("临时修改奖品"), awardName,
                 TSL_GBK("奖品由") + quoted(oldPrize) + TSL_GBK("改为") + quoted(newPrize));
}

}  // namespace tessaly
