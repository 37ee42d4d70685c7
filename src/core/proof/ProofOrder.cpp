#include "proof/ProofOrder.h"

#include "draw/DrawRecord.h"
#include "proof/ProofCrypto.h"
#include "settings/IniStore.h"
#include "text/Base64.h"

#include <algorithm>

namespace tessaly {
namespace {

std::string joinNames(const std::vector<std::string> &names)
{
    std::string text;
    for (const auto &name : names)
        text += (text.empty() ? "" : ",") + base64Encode(name);
    return text;
}

bool splitNames(std::string_view text, std::vector<std::string> &names)
{
    names.clear();
    size_t pos = 0;
    while (pos < text.size()) {
        size_t comma = text.find(',', pos);
        if (comma == std::string_view::npos)
            comma = text.size();
        auto name = base64Decode(text.substr(pos, comma - pos));
        if (!name)
            return false;
        names.push_back(std::move(*name));
        pos = comma + 1;
    }
    return true;
}

bool flag(const AuditLine &line, std::string_view key, bool &out)
{
    const std::string v = line.field(key);
    if (v != "0" && v != "1")
        return false;
    out = v == "1";
    return true;
}

}  // namespace

std::string poolDigest(const ParticipantLists &lists, const EntryRange &range)
{
    std::string text;
    const int last = std::min(range.last, static_cast<int>(lists.size()) - 1);
    for (int i = std::max(range.first, 0); i <= last; ++i)
        if (lists.StateList[static_cast<size_t>(i)] != kDrawnMark)
            text += std::to_string(i) + "\r\n";
    return toHex(sha256(text));
}

std::string orderDigest(const std::vector<int> &order)
{
    return toHex(sha256(orderFileText(order)));
}

AuditFields orderLineFields(const DrawOrderRequest &r, const std::string &what, const std::string &pool,
                            const DrawOrder &order)
{
    // Predetermined names by award, "k:name,name;k:name".
    std::string predetermined;
    for (size_t k = 0; k < r.predetermined.size(); ++k)
        if (!r.predetermined[k].empty())
            predetermined += (predetermined.empty() ? "" : ";") + std::to_string(k) + ":" + joinNames(r.predetermined[k]);
    AuditFields fields{{"what", what},
            {"award", std::to_string(r.award)},
            {"count", std::to_string(r.count)},
            {"keep", r.keep ? "1" : "0"},
            {"lists", r.useLists ? "1" : "0"},
            {"reaward", r.canreAward ? "1" : "0"},
            {"shuffle", r.ntcanrandom ? "1" : "0"},
            {"range", std::to_string(r.range.first) + ":" + std::to_string(r.range.last)},
            {"pre", predetermined},
            {"excl", joinNames(r.excluded)},
            {"pool", pool},
            {"order", orderDigest(order.PoolList)},
            {"chosen", std::to_string(order.chosen)},
            {"floor", std::to_string(order.setAside)},
            {"built", order.built() ? "1" : "0"}};
    // An award that draws from the people checked in names them all, so the order can be rebuilt.
    if (r.eligible) {
        std::string entries;
        for (size_t i = 0; i < r.eligible->size(); ++i)
            if ((*r.eligible)[i])
                entries += (entries.empty() ? "" : ",") + std::to_string(i);
        fields.emplace_back("eligible", entries.empty() ? "-" : entries);
    }
    return fields;
}

bool orderRequestOf(const AuditLine &line, DrawOrderRequest &r)
{
    r = {};
    if (!parseInteger(line.field("award"), r.award) || !parseInteger(line.field("count"), r.count) ||
        r.award < 0 || r.award >= 50)
        return false;
    if (!flag(line, "keep", r.keep) || !flag(line, "lists", r.useLists) || !flag(line, "reaward", r.canreAward) ||
        !flag(line, "shuffle", r.ntcanrandom))
        return false;
    const std::string range = line.field("range");
    const size_t colon = range.find(':');
    if (colon == std::string::npos || !parseInteger(range.substr(0, colon), r.range.first) ||
        !parseInteger(range.substr(colon + 1), r.range.last))
        return false;
    const std::string pre = line.field("pre");
    size_t pos = 0;
    while (pos < pre.size()) {
        size_t semi = pre.find(';', pos);
        if (semi == std::string::npos)
            semi = pre.size();
        const std::string part = pre.substr(pos, semi - pos);
        pos = semi + 1;
        const size_t c = part.find(':');
        int k = 0;
        if (c == std::string::npos || !parseInteger(part.substr(0, c), k) || k < 0 || k >= 50)
            return false;
        if (r.predetermined.size() <= static_cast<size_t>(k))
            r.predetermined.resize(static_cast<size_t>(k) + 1);
        if (!splitNames(std::string_view(part).substr(c + 1), r.predetermined[static_cast<size_t>(k)]))
            return false;
    }
    if (const std::string eligible = line.field("eligible"); !eligible.empty()) {
        std::vector<char> marks;
        for (size_t at = 0; eligible != "-" && at <= eligible.size();) {
            const size_t comma = std::min(eligible.find(',', at), eligible.size());
            int entry = -1;
            if (!parseInteger(eligible.substr(at, comma - at), entry) || entry < 0 || entry > 10000000)
                return false;
            if (marks.size() <= static_cast<size_t>(entry))
                marks.resize(static_cast<size_t>(entry) + 1, 0);
            marks[static_cast<size_t>(entry)] = 1;
            at = comma + 1;
        }
        r.eligible = std::move(marks);
    }
    return splitNames(line.field("excl"), r.excluded);
}

}  // namespace tessaly
