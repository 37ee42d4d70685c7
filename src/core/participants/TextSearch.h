// The list editor's find rules: down from the end of the selection or up from
// its start, optional match case and whole word, on the text as the editor
// holds it (UTF-16 code units).
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace tessaly {

struct SearchOptions {
    bool down = true;
    bool matchCase = false;
    bool wholeWord = false;
};

// The start of the next match, or nothing. Only the letters A to Z, a to z and
// the digits 0 to 9 are word characters; everything else delimits a word, so
// every Chinese character does. Without match case letters compare as upper case.
std::optional<size_t> findText(std::u16string_view text, std::u16string_view what, size_t selectionStart,
                               size_t selectionEnd, const SearchOptions &options);

}  // namespace tessaly
