#include "participants/BiffRecords.h"

#include "participants/NumberFormat.h"
#include "text/Gbk.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <unordered_map>

namespace tessaly {
namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr size_t kMaxCells = 65536 * 256;

std::uint16_t u16(std::string_view d, size_t at)
{
    if (at + 2 > d.size())
        return 0;
    return static_cast<std::uint16_t>(static_cast<unsigned char>(d[at]) | static_cast<unsigned char>(d[at + 1]) << 8);
}

std::uint32_t u32(std::string_view d, size_t at)
{
    if (at + 4 > d.size())
        return 0;
    return static_cast<std::uint32_t>(u16(d, at)) | static_cast<std::uint32_t>(u16(d, at + 2)) << 16;
}

double f64(std::string_view d, size_t at)
{
    std::uint64_t bits = static_cast<std::uint64_t>(u32(d, at)) | static_cast<std::uint64_t>(u32(d, at + 4)) << 32;
    double v = 0;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// The compound file around the workbook: sectors chained by a FAT, small
// streams in a mini stream of their own.
class CompoundFile {
public:
    explicit CompoundFile(std::string_view file) : m_file(file) {}

    bool open()
    {
        if (m_file.size() < 512 || m_file.substr(0, 8) != std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
            return false;
        const std::uint16_t shift = u16(m_file, 0x1E);
        if (shift != 9 && shift != 12)
            return false;
        m_sectorSize = size_t{1} << shift;
        m_miniCutoff = u32(m_file, 0x38);
        // The FAT's own sectors: 109 listed in the header, the rest in a DIFAT chain.
        std::vector<std::uint32_t> fatSectors;
        const std::uint32_t fatCount = u32(m_file, 0x2C);
        const size_t most = m_file.size() / m_sectorSize + 1;
        for (size_t i = 0; i < 109 && fatSectors.size() < std::min<size_t>(fatCount, most); ++i)
            fatSectors.push_back(u32(m_file, 0x4C + 4 * i));
        std::uint32_t difat = u32(m_file, 0x44);
        for (size_t hops = 0; difat < kEndOfChain && hops < most && fatSectors.size() < std::min<size_t>(fatCount, most);
             ++hops) {
            const std::string_view s = sector(difat);
            if (s.empty())
                break;
            for (size_t i = 0; i + 4 < m_sectorSize && fatSectors.size() < std::min<size_t>(fatCount, most); i += 4)
                fatSectors.push_back(u32(s, i));
            difat = u32(s, m_sectorSize - 4);
        }
        for (std::uint32_t fs : fatSectors) {
            const std::string_view s = sector(fs);
            for (size_t i = 0; i + 4 <= s.size(); i += 4)
                m_fat.push_back(u32(s, i));
        }
        m_directory = chain(m_fat, u32(m_file, 0x30), [this](std::uint32_t k) { return sector(k); });
        if (m_directory.size() < 128)
            return false;
        // The root entry holds the mini stream.
        m_miniStream = chain(m_fat, u32(m_directory, 116), [this](std::uint32_t k) { return sector(k); });
        m_miniStream.resize(std::min<size_t>(m_miniStream.size(), u32(m_directory, 120)));
        const std::string miniFatBytes = chain(m_fat, u32(m_file, 0x3C), [this](std::uint32_t k) { return sector(k); });
        for (size_t i = 0; i + 4 <= miniFatBytes.size(); i += 4)
            m_miniFat.push_back(u32(miniFatBytes, i));
        return true;
    }

    // The stream of that name (ASCII, any letter case); nothing when missing.
    std::optional<std::string> stream(std::string_view name) const
    {
        for (size_t at = 0; at + 128 <= m_directory.size(); at += 128) {
            const std::string_view entry = std::string_view(m_directory).substr(at, 128);
            const size_t length = std::min<size_t>(u16(entry, 64), 64);
            if (entry[66] != 2 || length != 2 * (name.size() + 1))
                continue;
            bool same = true;
            for (size_t i = 0; i < name.size() && same; ++i)
                same = std::tolower(static_cast<unsigned char>(entry[2 * i])) ==
                           std::tolower(static_cast<unsigned char>(name[i])) &&
                       entry[2 * i + 1] == 0;
            if (!same)
                continue;
            const std::uint32_t start = u32(entry, 116), size = u32(entry, 120);
            std::string data = size < m_miniCutoff
                                   ? chain(m_miniFat, start, [this](std::uint32_t k) { return miniSector(k); })
                                   : chain(m_fat, start, [this](std::uint32_t k) { return sector(k); });
            data.resize(std::min<size_t>(data.size(), size));
            return data;
        }
        return std::nullopt;
    }

private:
    std::string_view sector(std::uint32_t k) const
    {
        const size_t at = (static_cast<size_t>(k) + 1) * m_sectorSize;
        if (k >= kEndOfChain || at >= m_file.size())
            return {};
        return m_file.substr(at, std::min(m_sectorSize, m_file.size() - at));
    }

    std::string_view miniSector(std::uint32_t k) const
    {
        const size_t at = static_cast<size_t>(k) * 64;
        if (at >= m_miniStream.size())
            return {};
        return std::string_view(m_miniStream).substr(at, std::min<size_t>(64, m_miniStream.size() - at));
    }

    // The sectors of a chain joined; a loop or a link out of the table ends it.
    // A chain is never longer than the sectors there are, so a damaged table
    // cannot make it grow past the file.
    template <typename Sector>
    std::string chain(const std::vector<std::uint32_t> &table, std::uint32_t start, Sector &&read) const
    {
        std::string out;
        const size_t most = std::min(table.size(), m_file.size() / 64 + 1);
        for (size_t hops = 0; start < table.size() && hops <= most; ++hops) {
            const std::string_view s = read(start);
            if (s.empty())
                break;
            out.append(s);
            start = table[start];
        }
        return out;
    }

    std::string_view m_file;
    size_t m_sectorSize = 512;
    std::uint32_t m_miniCutoff = 4096;
    std::vector<std::uint32_t> m_fat, m_miniFat;
    std::string m_directory, m_miniStream;
};

// A FORMAT record's string: 8-bit or UTF-16 characters, as UTF-8.
std::string unicodeString(std::string_view d, size_t at)
{
    const std::uint16_t count = u16(d, at);
    const unsigned char flags = at + 2 < d.size() ? static_cast<unsigned char>(d[at + 2]) : 0;
    at += 3;
    if (flags & 0x08)
        at += 2;  // rich-text run count
    if (flags & 0x04)
        at += 4;  // phonetic block size
    std::string out;
    for (size_t i = 0; i < count; ++i) {
        unsigned cp;
        if (flags & 0x01) {
            if (at + 2 > d.size())
                break;
            cp = u16(d, at);
            at += 2;
            if (cp >= 0xD800 && cp <= 0xDBFF && at + 2 <= d.size() && u16(d, at) >= 0xDC00 && u16(d, at) <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (u16(d, at) - 0xDC00u);
                at += 2;
                ++i;
            } else if (cp >= 0xD800 && cp <= 0xDFFF) {
                cp = 0xFFFD;
            }
        } else {
            if (at >= d.size())
                break;
            cp = static_cast<unsigned char>(d[at++]);
        }
        appendUtf8(out, cp);
    }
    return out;
}

// An RK value: a 30-bit integer or the high bits of a double, maybe in hundredths.
double rkValue(std::uint32_t rk)
{
    double v;
    if (rk & 0x02) {
        v = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&v, &bits, sizeof v);
    }
    return (rk & 0x01) ? v / 100 : v;
}

struct Record {
    std::uint16_t type;
    std::string_view data;
};

// The records from an offset of the stream up to the next EOF record.
template <typename F>
void eachRecord(std::string_view stream, size_t at, F &&f)
{
    while (at + 4 <= stream.size()) {
        const std::uint16_t type = u16(stream, at), length = u16(stream, at + 2);
        at += 4;
        const std::string_view data = stream.substr(at, std::min<size_t>(length, stream.size() - at));
        at += data.size();
        if (type == 0x000A || !f(Record{type, data}))
            return;
    }
}

void addCell(BiffWorkbook &book, BiffCell::Kind kind, std::string_view d, size_t styleAt, double value,
             std::uint16_t column)
{
    if (book.cells.size() >= kMaxCells)
        return;
    book.cells.push_back({kind, u16(d, 0), column, u16(d, styleAt), value});
}

}  // namespace

std::string_view BiffWorkbook::codeOf(const BiffCell &cell) const
{
    return cell.style < styleCodes.size() ? std::string_view(styleCodes[cell.style]) : std::string_view();
}

std::optional<BiffWorkbook> readBiffWorkbook(std::string_view file)
{
    CompoundFile compound(file);
    if (!compound.open())
        return std::nullopt;
    const std::optional<std::string> stream = compound.stream("Workbook");
    if (!stream || stream->size() < 8 || u16(*stream, 0) != 0x0809 || u16(*stream, 4) != 0x0600)
        return std::nullopt;

    BiffWorkbook book;
    std::unordered_map<std::uint16_t, std::string> formats;
    std::vector<std::uint16_t> styleFormats;
    std::optional<std::uint32_t> firstSheet;
    eachRecord(*stream, 0, [&](const Record &r) {
        switch (r.type) {
        case 0x041E: formats[u16(r.data, 0)] = unicodeString(r.data, 2); break;           // FORMAT
        case 0x00E0: styleFormats.push_back(u16(r.data, 2)); break;                        // XF
        case 0x0022: book.date1904 = u16(r.data, 0) == 1; break;                            // DATEMODE
        case 0x0085:                                                                        // BOUNDSHEET
            if (!firstSheet && r.data.size() > 5 && r.data[5] == 0)
                firstSheet = u32(r.data, 0);
            break;
        default: break;
        }
        return true;
    });
    book.styleCodes.reserve(styleFormats.size());
    for (std::uint16_t id : styleFormats) {
        const auto it = formats.find(id);
        book.styleCodes.emplace_back(it != formats.end() ? it->second : std::string(builtInFormatCode(id)));
    }
    if (!firstSheet || *firstSheet >= stream->size())
        return book;

    bool first = true;
    eachRecord(*stream, *firstSheet, [&](const Record &r) {
        const std::string_view d = r.data;
        if (first) {
            first = false;
            return r.type == 0x0809;  // the sheet starts with its BOF
        }
        switch (r.type) {
        case 0x0203: addCell(book, BiffCell::Kind::Number, d, 4, f64(d, 6), u16(d, 2)); break;      // NUMBER
        case 0x027E: addCell(book, BiffCell::Kind::Number, d, 4, rkValue(u32(d, 6)), u16(d, 2)); break;  // RK
        case 0x00BD:                                                                              // MULRK
            for (size_t at = 4, column = u16(d, 2), end = d.size() >= 2 ? d.size() - 2 : 0; at + 6 <= end && column < 256;
                 at += 6, ++column) {
                if (book.cells.size() >= kMaxCells)
                    break;
                book.cells.push_back({BiffCell::Kind::Number, u16(d, 0), static_cast<std::uint16_t>(column),
                                      u16(d, at), rkValue(u32(d, at + 2))});
            }
            break;
        case 0x0006:  // FORMULA: a cached number, or a flagged other result
            if (d.size() >= 14 && u16(d, 12) == 0xFFFF) {
                if (static_cast<unsigned char>(d[6]) == 1)
                    addCell(book, BiffCell::Kind::Boolean, d, 4, d[8] ? 1 : 0, u16(d, 2));
            } else if (d.size() >= 14) {
                addCell(book, BiffCell::Kind::Number, d, 4, f64(d, 6), u16(d, 2));
            }
            break;
        case 0x0205:  // BOOLERR
            if (d.size() >= 8 && d[7] == 0)
                addCell(book, BiffCell::Kind::Boolean, d, 4, d[6] ? 1 : 0, u16(d, 2));
            break;
        case 0x00FD:  // LABELSST
        case 0x0204:  // LABEL
            addCell(book, BiffCell::Kind::Text, d, 4, 0, u16(d, 2));
            break;
        default: break;
        }
        return true;
    });
    return book;
}

}  // namespace tessaly
