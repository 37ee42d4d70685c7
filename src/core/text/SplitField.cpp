#include "text/SplitField.h"

#include "text/Lines.h"

#include <string>

namespace tessaly {
namespace {

std::string separatorsToLineBreaks(std::string_view text, char separator)
{
    std::string s(text);
    for (size_t at : separatorPositions(text, separator))
        s[at] = '\n';
    return s;
}

}  // namespace

size_t nextGbkChar(std::string_view text, size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead >= 0x81 && lead <= 0xFE && at + 1 < text.size()) {
        const auto trail = static_cast<unsigned char>(text[at + 1]);
        if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F)
            return at + 2;
    }
    return at + 1;
}

std::vector<size_t> separatorPositions(std::string_view text, char separator)
{
    std::vector<size_t> positions;
    for (size_t at = 0; at < text.size(); at = nextGbkChar(text, at))
        if (text[at] == separator)
            positions.push_back(at);
    return positions;
}

bool fitsAsLastField(std::string_view text)
{
    size_t at = 0;
    size_t last = 0;
    for (; at < text.size(); at = nextGbkChar(text, at)) {
        if (text[at] == '|')
            return false;
        last = at;
    }
    return text.empty() || static_cast<unsigned char>(text[last]) < 0x81 || last + 1 < text.size();
}

std::string SplitField(std::string_view text, char separator, int n)
{
    if (n < 1)
        return {};
    auto lines = splitLines(separatorsToLineBreaks(text, separator));
    if (static_cast<size_t>(n) > lines.size())
        return {};
    return lines[n - 1];
}

int fieldCount(std::string_view text, char separator)
{
    return static_cast<int>(splitLines(separatorsToLineBreaks(text, separator)).size());
}

}  // namespace tessaly
