#include "checkin/HallPool.h"

#include "checkin/CheckInExport.h"
#include "checkin/CheckInCodes.h"
#include "checkin/CheckInLog.h"
#include "files/FileIo.h"
#include "text/Lines.h"

#include <charconv>

namespace tessaly {
namespace fs = std::filesystem;
namespace {

bool parseNumber(std::string_view text, long long &value)
{
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size() && !text.empty();
}

}  // namespace

Result<std::vector<char>> checkedInEntries(const fs::path &programDir, const std::vector<std::string> &names)
{
    auto rows = checkInRowsOf(programDir, names);
    if (!rows)
        return rows.error();
    std::vector<char> marks(names.size(), 0);
    for (size_t i = 0; i < rows->size() && i < marks.size(); ++i)
        marks[i] = (*rows)[i].checkedIn;
    return marks;
}

std::string formatHallPools(const HallPools &pools)
{
    std::string text;
    for (const auto &[award, entries] : pools) {
        text += std::to_string(award) + "|" + std::to_string(entries.size()) + "|";
        for (size_t k = 0; k < entries.size(); ++k)
            text += (k ? "," : "") + std::to_string(entries[k]);
        text += "\r\n";
    }
    return text;
}

HallPools parseHallPools(std::string_view text, size_t entries)
{
    HallPools pools;
    for (const std::string &line : splitLines(text)) {
        const size_t bar1 = line.find('|');
        const size_t bar2 = bar1 == std::string::npos ? bar1 : line.find('|', bar1 + 1);
        long long award = 0, count = 0;
        if (bar2 == std::string::npos || !parseNumber(std::string_view(line).substr(0, bar1), award) ||
            !parseNumber(std::string_view(line).substr(bar1 + 1, bar2 - bar1 - 1), count) || award < 0 ||
            award >= 1000 || count < 0)
            continue;
        std::vector<int> pool;
        bool sound = true;
        std::string_view rest = std::string_view(line).substr(bar2 + 1);
        while (sound && !rest.empty()) {
            const size_t comma = rest.find(',');
            long long entry = 0;
            sound = parseNumber(rest.substr(0, comma), entry) && entry >= 0;
            if (sound && static_cast<unsigned long long>(entry) < entries)
                pool.push_back(static_cast<int>(entry));
            rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        }
        if (sound && static_cast<long long>(pool.size()) == count)
            pools[static_cast<int>(award)] = std::move(pool);
    }
    return pools;
}

std::vector<char> poolMarks(const std::vector<int> &pool, size_t entries)
{
    std::vector<char> marks(entries, 0);
    for (int entry : pool)
        if (entry >= 0 && static_cast<size_t>(entry) < entries)
            marks[static_cast<size_t>(entry)] = 1;
    return marks;
}

}  // namespace tessaly
