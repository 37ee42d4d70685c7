#include "checkin/CheckInLog.h"


#include <algorithm>
#include <array>
#include <charconv>

namespace tessaly {
namespace {

constexpr std::array<std::uint32_t, 256> makeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
constexpr auto kCrcTable = makeCrcTable();

std::string hex8(std::uint32_t value)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i, value >>= 4)
        text[static_cast<size_t>(i)] = digits[value & 0xF];
    return text;
}

bool parseLine(std::string_view text, CheckInLine &line)
{
    const auto bar = text.rfind('|');
    if (bar == std::string_view::npos || text.size() - bar - 1 != 8)
        return false;
    if (hex8(crc32Of(text.substr(0, bar))) != text.substr(bar + 1))
        return false;
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (size_t at; (at = text.find('|', start)) != std::string_view::npos && fields.size() < 4; start = at + 1)
        fields.push_back(text.substr(start, at - start));
    if (fields.size() != 4 || start != bar + 1)
        return false;
    line.code = std::string(fields[0]);
    if (fields[1] == "in")
        line.action = CheckInLine::Action::CheckIn;
    else if (fields[1] == "undo")
        line.action = CheckInLine::Action::Undo;
    else
        return false;
    line.device = std::string(fields[2]);
    auto [ptr, ec] = std::from_chars(fields[3].data(), fields[3].data() + fields[3].size(), line.time);
    return ec == std::errc() && ptr == fields[3].data() + fields[3].size() && !line.code.empty() &&
           (line.device == kConsoleDevice || isDeviceKey(line.device));
}

}  // namespace

std::uint32_t crc32Of(std::string_view bytes)
{
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes)
        c = kCrcTable[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

bool isDeviceKey(std::string_view key)
{
    return key.size() >= 8 && key.size() <= 64 && std::all_of(key.begin(), key.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                      c == '_';
           });
}

std::string formatCheckInLine(const CheckInLine &line)
{
    std::string body = line.code + (line.action == CheckInLine::Action::CheckIn ? "|in|" : "|undo|") + line.device +
                       "|" + std::to_string(line.time);
    return body + "|" + hex8(crc32Of(body)) + "\r\n";
}

CheckInReadout readCheckInLines(std::string_view fileText)
{
    CheckInReadout out;
    size_t start = 0;
    while (start < fileText.size()) {
        const auto end = fileText.find('\n', start);
        if (end == std::string_view::npos) {
            out.tornTail = true;  // no line end: the append never finished
            break;
        }
        std::string_view text = fileText.substr(start, end - start);
        if (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);
        out.goodLength = end + 1;
        start = end + 1;
        if (text.empty())
            continue;
        CheckInLine line;
        if (parseLine(text, line))
            out.lines.push_back(std::move(line));
        else
            ++out.damaged;
    }
    return out;
}

bool CheckInState::apply(const CheckInLine &line)
{
    if (line.action == CheckInLine::Action::Undo) {
        auto it = byCode.find(line.code);
        if (it == byCode.end())
            return false;
        codeOfDevice.erase(it->second.device);
        byCode.erase(it);
        return true;
    }
    if (byCode.count(line.code))
        return false;
    if (line.device != kConsoleDevice) {
        auto [it, fresh] = codeOfDevice.emplace(line.device, line.code);
        if (!fresh && it->second != line.code)
            return false;
    }
    byCode[line.code] = {line.device, line.time};
    return true;
}

}  // namespace tessaly
