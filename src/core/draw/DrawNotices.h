// How the draw's operations word what they tell the operator: a notice, an
// error with its lead, and the lists of names and line numbers inside them.
#pragma once

#include "draw/DrawOutcome.h"
#include "settings/IniStore.h"
#include "settings/Settings.h"
#include "text/Gbk.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tessaly::session {

inline void notify(DrawOutcome &out, std::string text, ErrorCode code = ErrorCode::None)
{
    out.notices.push_back({TSL_GBK("提示"), std::move(text), code});
}

inline void notifyError(DrawOutcome &out, const Error &error, const std::string &lead = {})
{
    out.notices.push_back({TSL_GBK("出错"), lead + error.message, error.code});
}

inline std::optional<IniStore> openSettingsFor(const std::filesystem::path &dir, DrawOutcome &out)
{
    auto settings = openSettings(dir);
    if (!settings) {
        notifyError(out, settings.error());
        return std::nullopt;
    }
    return std::move(*settings);
}

// Names joined by "、".
inline std::string joinNames(const std::vector<std::string> &names)
{
    std::string text;
    for (const auto &name : names) {
        if (!text.empty())
            text += TSL_GBK("、");
        text += name;
    }
    return text;
}

// The first ten line numbers joined by "、", then "等" when there are more.
inline std::string lineNumbers(const std::vector<int> &lines)
{
    std::string text;
    for (size_t i = 0; i < lines.size() && i < 10; ++i) {
        if (i)
            text += TSL_GBK("、");
        text += std::to_string(lines[i]);
    }
    if (lines.size() > 10)
        text += TSL_GBK("等");
    return text;
}

}  // namespace tessaly::session
