// Conversion between the GBK bytes the core holds and UTF-8, through glibc iconv.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

// GBK to UTF-8. Bytes that are not valid GBK become U+FFFD, one per bad byte.
std::string gbkToUtf8(std::string_view gbk);

// GBK to UTF-8, or nothing when the input holds any invalid sequence.
std::optional<std::string> gbkToUtf8Strict(std::string_view gbk);

// UTF-8 to GBK. Characters GBK cannot hold become '?'.
std::string utf8ToGbk(std::string_view utf8);

// True when every byte sequence of the text is valid GBK.
bool isValidGbk(std::string_view gbk);

// Appends one Unicode code point as UTF-8.
void appendUtf8(std::string &out, unsigned cp);

// A program text written in the source (UTF-8) as GBK bytes; converted once per literal.
#define TSL_GBK(utf8literal)                                                   \
    ([]() -> const std::string & {                                             \
        static const std::string converted = ::tessaly::utf8ToGbk(utf8literal); \
        return converted;                                                      \
    }())

}  // namespace tessaly
