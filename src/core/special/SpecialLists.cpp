#include "special/SpecialLists.h"

#include "files/FileIo.h"
#include "settings/ProgramFiles.h"
#include "settings/Settings.h"
#include "special/Grouping.h"
#include "special/HotKeys.h"
#include "special/Secrets.h"
#include "text/Gbk.h"
#include "text/Base64.h"
#include "text/Lines.h"

#include <algorithm>
#include <map>

namespace tessaly {
namespace {

// The positive entry keys of a section by number, in the spelling the file uses.
std::map<int, std::string> entryKeys(const IniStore &store, const std::string &section)
{
    std::map<int, std::string> keys;
    for (const auto &key : store.keys(section)) {
        int n = 0;
        if (parseInteger(key, n) && n >= 1 && std::to_string(n) == key)
            keys.emplace(n, key);
    }
    return keys;
}

int sectionCount(const IniStore &store, const std::string &section)
{
    return std::max(store.readInteger(section, "coun", 0), 0);
}

}  // namespace

std::vector<ListEntry> readListEntries(const IniStore &store, const std::string &section)
{
    // Walking the keys that exist rather than 1 to coun keeps a huge count cheap.
    std::vector<ListEntry> entries;
    const int count = sectionCount(store, section);
    for (const auto &[n, key] : entryKeys(store, section)) {
        if (n > count)
            break;
        ListEntry e;
        e.stored = store.readString(section, key);
        if (auto name = base64Decode(e.stored)) {
            e.name = std::move(*name);
            e.readable = true;
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

std::vector<std::string> readListNames(const IniStore &store, const std::string &section)
{
    std::vector<std::string> names;
    for (auto &e : readListEntries(store, section))
        if (e.readable && !e.name.empty())
            names.push_back(std::move(e.name));
    return names;
}

std::vector<std::string> listFileProblems(const IniStore &store)
{
    std::vector<std::string> problems;
    auto line = [](const std::string &section, const std::string &key, const std::string &value) {
        return "[" + section + "] " + key + "=" + value;
    };
    for (int award = 1; award <= kMaxAwards; ++award) {
        const std::string section = std::to_string(award);
        if (!store.hasSection(section))
            continue;
        int count = 0;
        const std::string coun = store.readString(section, "coun");
        if (store.hasKey(section, "coun") && (!parseInteger(coun, count) || count < 0))
            problems.push_back(line(section, "coun", coun));
        for (const auto &[n, key] : entryKeys(store, section)) {
            if (n > count)
                break;
            const std::string value = store.readString(section, key);
            if (!base64Decode(value))
                problems.push_back(line(section, key, value));
        }
    }
    return problems;
}

std::string unreadableSpecialLines(const std::filesystem::path &programDir, const IniStore &settings, bool grouping)
{
    std::string text;
    auto name = [&text](const std::string &title, const std::vector<std::string> &lines) {
        if (lines.empty())
            return;
        text += "\n" + title;
        for (const auto &l : lines)
            text += "\n    " + l;
    };
    if (grouping)
        name(TSL_GBK("奖项分组设置（set.dat的[Grfz]节，该奖项将没有可抽取的人员）："),
             groupingProblems(settings, std::clamp(settings.readInteger("Option", "Lucks", 0), 0, kMaxAwards)));
    const struct {
        const char *file;
        const char *title;
    } lists[] = {{files::kPredetermined, "内定名单Read.reb："}, {files::kExclusions, "黑名单write.reb："}};
    for (const auto &list : lists) {
        if (auto store = openIniFile(programDir, list.file))
            name(utf8ToGbk(list.title), listFileProblems(*store));
        else
            name(utf8ToGbk(list.title), {store.error().message});
    }
    name(TSL_GBK("快捷键（set.dat的[Option]节）："), storedHotKeyProblems(settings));
    for (const char *key : {"sndmm", "locksremm"})
        if (std::string notice = unusableSecretNotice(settings, key); !notice.empty())
            text += "\n" + notice;
    if (text.empty())
        return text;
    return TSL_GBK("以下设置行无法识别，已略过，其余内容照常读入：") + text;
}

void writeListSection(IniStore &store, int awardNumber, const std::vector<ListEntry> &entries)
{
    const std::string section = std::to_string(awardNumber);
    for (const auto &[n, key] : entryKeys(store, section))
        store.deleteKey(section, key);
    for (size_t i = 0; i < entries.size(); ++i)
        store.writeExact(section, std::to_string(i + 1), entries[i].stored);
    store.writeInteger(section, "coun", static_cast<int>(entries.size()));
}

void addListEntry(IniStore &store, int awardNumber, const std::string &name)
{
    auto entries = readListEntries(store, std::to_string(awardNumber));
    ListEntry added;
    added.stored = base64Encode(name);
    added.name = name;
    added.readable = true;
    entries.push_back(std::move(added));
    writeListSection(store, awardNumber, entries);
}

bool deleteListEntry(IniStore &store, int awardNumber, int row)
{
    auto entries = readListEntries(store, std::to_string(awardNumber));
    if (row < 1 || row > static_cast<int>(entries.size()))
        return false;
    entries.erase(entries.begin() + (row - 1));
    writeListSection(store, awardNumber, entries);
    return true;
}

Status clearListFile(const std::filesystem::path &file)
{
    return writeFileAtomic(file, std::string());
}

bool isParticipant(const std::vector<std::string> &names, const std::string &text)
{
    return std::any_of(names.begin(), names.end(),
                       [&text](const std::string &name) { return equalsIgnoreAsciiCase(name, text); });
}

ListMode readListMode(const IniStore &settings)
{
    switch (settings.readInteger("Option", "ntfs", 0)) {
    case 1:
        return ListMode::NextStart;
    case 2:
        return ListMode::Always;
    default:
        return ListMode::HotKeyOnce;
    }
}

HotKey hotKeyAction(int shortcutCode, const DrawOptions &options)
{
    if (shortcutCode == 0)
        return HotKey::None;
    if (shortcutCode == options.sndst)
        return HotKey::EnableLists;
    if (shortcutCode == options.sndfo)
        return HotKey::OpenAccessPrompt;
    return HotKey::None;
}

}  // namespace tessaly
