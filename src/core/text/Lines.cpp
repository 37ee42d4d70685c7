#include "text/Lines.h"

namespace tessaly {

std::vector<std::string> splitLines(std::string_view text)
{
    if (auto nul = text.find('\0'); nul != std::string_view::npos)
        text = text.substr(0, nul);
    std::vector<std::string> lines;
    size_t start = 0;
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        char c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < n && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.emplace_back(text.substr(start));
    return lines;
}

std::string joinLines(const std::vector<std::string> &lines)
{
    size_t total = 0;
    for (const auto &l : lines)
        total += l.size() + 2;
    std::string out;
    out.reserve(total);
    for (const auto &l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

std::string flattenLineBreaks(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        if (c == '\r' || c == '\n' || c == '\0')  // a NUL would end the file for its readers
            c = ' ';
    return out;
}

std::string trimBlanks(std::string_view text)
{
    // The profile functions trim spaces and tabs; control bytes below blank go too.
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    return std::string(text.substr(b, e - b));
}

std::string asciiLower(std::string_view text)
{
    std::string out(text);
    bool trail = false;
    for (char &c : out) {
        unsigned char u = static_cast<unsigned char>(c);
        if (trail) {
            trail = false;  // the second byte of a GBK pair may look like a letter
            continue;
        }
        if (u >= 0x81 && u <= 0xFE)
            trail = true;
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && asciiLower(a) == asciiLower(b);
}

}  // namespace tessaly
