#include "settings/FontStyleName.h"

#include "settings/Encodings.h"
#include "settings/IniStore.h"
#include "text/Gbk.h"
#include "text/Lines.h"

#include <array>

namespace tessaly {
namespace {

struct StyleName {
    const char *utf8;
    unsigned styles;
};

constexpr std::array<StyleName, 4> kStyleNames{{
    {"常规", 0u},
    {"斜体", fsItalic},
    {"粗体", fsBold},
    {"粗斜体", fsBold | fsItalic},
}};

}  // namespace

std::string fontStyleName(unsigned styles)
{
    for (const auto &s : kStyleNames)
        if (s.styles == styles)
            return utf8ToGbk(s.utf8);
    return {};
}

unsigned fontStyleFromName(std::string_view gbkName, unsigned current)
{
    for (const auto &s : kStyleNames)
        if (gbkName == utf8ToGbk(s.utf8))
            return s.styles;
    return current;
}

Result<int> parseFontSize(std::string_view text)
{
    const std::string trimmed = trimBlanks(text);
    bool digitsOnly = !trimmed.empty();
    for (char c : trimmed)
        digitsOnly = digitsOnly && (c >= '0' && c <= '9');
    int size = 0;
    if (digitsOnly && trimmed.size() <= 9 && parseInteger(trimmed, size) && size >= 1 && size <= kMaxTypedFontSize)
        return size;
    return makeError(ErrorCode::BadInput,
                     "'" + std::string(text) + TSL_GBK("' 不是有效的字号，请输入 1 到 1638 之间的整数。"));
}

}  // namespace tessaly
