// Line rules for every text file the program reads and writes: CR, LF or CR LF
// end a line, a final line end makes no extra line, a NUL byte ends the text;
// writing puts CR LF after every line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

std::vector<std::string> splitLines(std::string_view text);

// Every line followed by CR LF, the last one too.
std::string joinLines(const std::vector<std::string> &lines);

// Replaces CR, LF and NUL by blanks, so a value can never break or end a line-based file.
std::string flattenLineBreaks(std::string_view text);

std::string trimBlanks(std::string_view text);

// ASCII-only lower case, so GBK trail bytes are never touched.
std::string asciiLower(std::string_view text);
bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b);

}  // namespace tessaly
