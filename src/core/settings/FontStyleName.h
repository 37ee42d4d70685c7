// The values the font dialog exchanges with its callers: the four style names
// ("常规", "斜体", "粗体", "粗斜体") against font style sets, and the size field.
#pragma once

#include "Result.h"

#include <string>
#include <string_view>

namespace tessaly {

// The style name (GBK) of a style set, or the empty text when the set holds
// underline or strike-out and so has no name.
std::string fontStyleName(unsigned styles);

// The style set of a style name; a text that is none of the four names keeps
// the current set (an underlined font stays underlined).
unsigned fontStyleFromName(std::string_view gbkName, unsigned current);

// The size field as a whole point size; blanks around it are allowed. Anything
// else, or a size outside 1..kMaxTypedFontSize, is refused with the operator's message.
inline constexpr int kMaxTypedFontSize = 1638;
Result<int> parseFontSize(std::string_view text);

}  // namespace tessaly
