#include "text/SplitField.h"

#include "text/Lines.h"

#include <string>

namespace tessaly {
namespace {

std::string separatorsToLineBreaks(std::string_view text, char separator)
{
    std::string s(text);
    for (char &c : s)
        if (c == separator)
            c = '\n';
    return s;
}

}  // namespace

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
