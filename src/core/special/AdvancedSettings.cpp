#include "special/AdvancedSettings.h"

#include "settings/AwardTable.h"
#include "text/Gbk.h"
#include "text/Lines.h"
#include "text/SplitField.h"

#include <algorithm>

namespace tessaly {

AdvancedTexts readAdvancedTexts(const IniStore &s)
{
    AdvancedTexts t;
    t.readyPrompt = s.readString("readyLuck", "Caption");
    t.qCaption = s.readString("GrStatus", "qCaption");
    t.Caption = s.readString("GrStatus", "Caption");
    t.bCaption = s.readString("GrStatus", "bCaption");
    t.bhCaption = s.readString("GrStatus", "bhCaption");
    t.logo = s.readString("Option", "logoImgBG");
    t.bosscenter = s.readBool("Option", "bosscenter", true);
    return t;
}

void writeAdvancedTexts(IniStore &s, const AdvancedTexts &t)
{
    auto quoted = [](const std::string &text) { return "'" + text + "'"; };
    s.writeString("readyLuck", "Caption", quoted(t.readyPrompt));
    s.writeString("GrStatus", "qCaption", quoted(t.qCaption));
    s.writeString("GrStatus", "Caption", quoted(t.Caption));
    s.writeString("GrStatus", "bCaption", quoted(t.bCaption));
    s.writeString("GrStatus", "bhCaption", quoted(t.bhCaption));
    s.writeString("Option", "logoImgBG", trimBlanks(t.logo));
    s.writeBool("Option", "bosscenter", t.bosscenter);
}

std::vector<BatchItem> batchItems(const IniStore &s)
{
    std::vector<BatchItem> items;
    const int lucks = std::clamp(s.readInteger("Option", "Lucks", 0), 0, kMaxAwards);
    for (int i = 0; i < lucks; ++i) {
        const std::string grade = s.readString("Grade", std::to_string(i));
        int batches = 0;
        if (!parseInteger(trimBlanks(SplitField(grade, '|', 3)), batches))
            batches = 0;
        const std::string name = SplitField(grade, '|', 1);
        for (int n = 1; n <= std::min(batches, 1000); ++n)
            items.push_back({name + TSL_GBK("第") + std::to_string(n) + TSL_GBK("批"),
                             std::to_string(i + 1) + "-" + std::to_string(n)});
    }
    return items;
}

std::string announcementLine(const BatchItem &batch, const std::string &text)
{
    return batch.key + "[" + batch.label + "]:" + text;
}

std::vector<std::string> readAnnouncements(const IniStore &s, const std::vector<BatchItem> &batches)
{
    std::vector<std::string> lines;
    for (const auto &b : batches) {
        const std::string text = s.readString("MarqueeStatus", b.key);
        if (!text.empty())
            lines.push_back(announcementLine(b, text));
    }
    return lines;
}

std::string announcementKey(const std::string &line)
{
    return line.substr(0, line.find('['));
}

std::string announcementLabel(const std::string &line)
{
    const size_t open = line.find('[');
    if (open == std::string::npos)
        return {};
    const size_t close = line.find(']', open + 1);
    return line.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
}

std::string announcementText(const std::string &line)
{
    const size_t at = line.find("]:");
    return at == std::string::npos ? std::string() : line.substr(at + 2);
}

void writeAnnouncements(IniStore &s, const std::vector<std::string> &lines, const std::vector<std::string> &deletedKeys)
{
    for (const auto &key : deletedKeys)
        if (!key.empty())
            s.deleteKey("MarqueeStatus", key);
    for (const auto &line : lines) {
        const std::string key = announcementKey(line);
        if (!key.empty())
            s.writeString("MarqueeStatus", key, SplitField(line, ':', 2));
    }
}

}  // namespace tessaly
