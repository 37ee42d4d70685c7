#include "proof/AuditLog.h"

#include "proof/ProofCrypto.h"
#include "text/Gbk.h"

#include <charconv>

namespace tessaly {
namespace {

std::vector<std::string_view> splitBars(std::string_view line)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t bar = line.find('|', start);
        parts.push_back(line.substr(start, bar == std::string_view::npos ? bar : bar - start));
        if (bar == std::string_view::npos)
            return parts;
        start = bar + 1;
    }
}

bool isHex64(std::string_view text)
{
    if (text.size() != 64)
        return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

bool parseLine(std::string_view text, AuditLine &line)
{
    const auto parts = splitBars(text);
    if (parts.size() < 3)
        return false;
    auto [ptr, ec] = std::from_chars(parts[0].data(), parts[0].data() + parts[0].size(), line.seq);
    if (ec != std::errc() || ptr != parts[0].data() + parts[0].size() || !isHex64(parts[1]) || parts[2].empty())
        return false;
    line.prev = parts[1];
    line.kind = parts[2];
    for (size_t i = 3; i < parts.size(); ++i) {
        const size_t eq = parts[i].find('=');
        if (eq == std::string_view::npos || eq == 0)
            return false;
        line.fields.emplace_back(parts[i].substr(0, eq), parts[i].substr(eq + 1));
    }
    line.hash = toHex(sha256(text));
    return true;
}

}  // namespace

std::string AuditLine::field(std::string_view key) const
{
    for (const auto &[k, v] : fields)
        if (k == key)
            return v;
    return {};
}

bool AuditLine::has(std::string_view key) const
{
    for (const auto &f : fields)
        if (f.first == key)
            return true;
    return false;
}

AuditReadout readAuditLog(std::string_view text)
{
    AuditReadout out;
    std::string expected = kChainStart;
    size_t pos = 0;
    int number = 0;
    while (pos < text.size()) {
        ++number;
        const size_t end = text.find("\r\n", pos);
        if (end == std::string_view::npos) {
            out.faultLine = number;
            out.fault = TSL_GBK("最后一行不完整（文件被截断）");
            return out;
        }
        const std::string_view raw = text.substr(pos, end - pos);
        pos = end + 2;
        AuditLine line;
        if (!parseLine(raw, line)) {
            out.faultLine = number;
            out.fault = TSL_GBK("格式不对");
            return out;
        }
        if (line.seq != number) {
            out.faultLine = number;
            out.fault = TSL_GBK("序号是") + std::to_string(line.seq) + TSL_GBK("，应为") + std::to_string(number) +
                        TSL_GBK("（有行被删除、插入或调换）");
            return out;
        }
        if (line.prev != expected) {
            out.faultLine = number;
            out.fault = TSL_GBK("记下的上一行校验值与上一行不符（有行被改动、删除或调换）");
            return out;
        }
        expected = line.hash;
        out.lines.push_back(std::move(line));
    }
    return out;
}

std::string AuditChain::append(std::string_view kind, const AuditFields &fields)
{
    std::string line = std::to_string(++m_seq) + "|" + m_head + "|" + std::string(kind);
    for (const auto &[k, v] : fields)
        line += "|" + k + "=" + v;
    m_head = toHex(sha256(line));
    return line + "\r\n";
}

std::string shortChainHash(const std::string &hex)
{
    std::string out;
    for (size_t i = 0; i < 16 && i < hex.size(); ++i) {
        if (i && i % 4 == 0)
            out += ' ';
        out += hex[i];
    }
    return out;
}

}  // namespace tessaly
