#include "participants/TextSearch.h"

namespace tessaly {
namespace {

char16_t upper(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool isWordChar(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
}

bool matchesAt(std::u16string_view text, std::u16string_view what, size_t at, const SearchOptions &o)
{
    for (size_t k = 0; k < what.size(); ++k) {
        char16_t a = text[at + k], b = what[k];
        if (o.matchCase ? a != b : upper(a) != upper(b))
            return false;
    }
    if (o.wholeWord) {
        if (at > 0 && isWordChar(text[at - 1]))
            return false;
        if (at + what.size() < text.size() && isWordChar(text[at + what.size()]))
            return false;
    }
    return true;
}

}  // namespace

std::optional<size_t> findText(std::u16string_view text, std::u16string_view what, size_t selectionStart,
                               size_t selectionEnd, const SearchOptions &options)
{
    if (what.empty() || what.size() > text.size())
        return std::nullopt;
    const size_t last = text.size() - what.size();
    if (options.down) {
        for (size_t at = selectionEnd; at <= last; ++at)
            if (matchesAt(text, what, at, options))
                return at;
        return std::nullopt;
    }
    // Upward: from the start of the selection less the length of the text.
    if (selectionStart < what.size())
        return std::nullopt;
    for (size_t at = std::min(selectionStart - what.size(), last) + 1; at-- > 0;)
        if (matchesAt(text, what, at, options))
            return at;
    return std::nullopt;
}

}  // namespace tessaly
