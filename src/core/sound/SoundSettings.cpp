#include "sound/SoundSettings.h"

#include "files/Paths.h"
#include "text/Gbk.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace tessaly {

namespace fs = std::filesystem;

namespace {

struct PathKey {
    std::string SoundSettings::*path;
    const char *key;
    const char *dialogDefault;
};

// The shipped defaults are the member initialisers; the dialog has its own.
constexpr PathKey kPaths[] = {
    {&SoundSettings::bmusic, "bmusic", "wav\\bg1.wav"},
    {&SoundSettings::smusic, "smusic", "wav\\start.wav"},
    {&SoundSettings::emusic, "emusic", "wav\\stop.wav"},
    {&SoundSettings::sbmusic, "sbmusic", "wav\\bg1.wav"},
};

struct SwitchKey {
    bool SoundSettings::*value;
    const char *key;
    bool def;
};

constexpr SwitchKey kSwitches[] = {
    {&SoundSettings::canbmusic, "canbmusic", true},  {&SoundSettings::cansmusic, "cansmusic", true},
    {&SoundSettings::canemusic, "canemusic", true},  {&SoundSettings::cansbmusic, "cansbmusic", true},
    {&SoundSettings::loopmusic, "loopmusic", false},
};

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

void readSwitches(const IniStore &settings, SoundSettings &s)
{
    for (const SwitchKey &k : kSwitches)
        s.*k.value = settings.readBool("Option", k.key, k.def);
}

}  // namespace

SoundSettings readSoundSettings(const IniStore &settings, const fs::path &programDir)
{
    SoundSettings s;
    for (const PathKey &k : kPaths) {
        std::string stored = settings.readString("Option", k.key);
        if (!stored.empty() && storedFileExists(programDir, stored))
            s.*k.path = std::move(stored);
    }
    readSwitches(settings, s);
    return s;
}

std::vector<std::string> missingSoundNotices(const IniStore &settings, const fs::path &programDir)
{
    const SoundSettings defaults;
    std::vector<std::string> notices;
    for (const PathKey &k : kPaths) {
        const std::string stored = settings.readString("Option", k.key);
        if (!stored.empty() && !storedFileExists(programDir, stored))
            notices.push_back(TSL_GBK("声音文件不存在：") + stored + TSL_GBK("，改用") + defaults.*k.path);
    }
    return notices;
}

std::string soundFailureNotice(std::string_view file, std::string_view reason)
{
    std::string text = TSL_GBK("声音文件无法播放：") + std::string(file);
    if (!reason.empty())
        text += TSL_GBK("（") + std::string(reason) + TSL_GBK("）");
    return text;
}

SoundSettings readSoundDialogValues(const IniStore &settings)
{
    SoundSettings s;
    for (const PathKey &k : kPaths)
        s.*k.path = settings.readString("Option", k.key, k.dialogDefault);
    readSwitches(settings, s);
    return s;
}

void writeSoundSettings(IniStore &settings, const SoundSettings &sounds)
{
    for (const PathKey &k : kPaths)
        settings.writeString("Option", k.key, sounds.*k.path);
    for (const SwitchKey &k : kSwitches)
        settings.writeBool("Option", k.key, sounds.*k.value);
}

bool isSoundFileName(const std::string &name)
{
    const std::string l = lower(name);
    for (const char *ext : {".mp3", ".wma", ".wav", ".mid"}) {
        const std::string e = ext;
        if (l.size() >= e.size() && l.compare(l.size() - e.size(), e.size(), e) == 0)
            return true;
    }
    return false;
}

std::vector<std::string> listSoundFiles(const fs::path &programDir)
{
    std::vector<std::string> files;
    std::error_code ec;
    const fs::path folder = resolveStoredPath(programDir, "wav");
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = fileNameToGbk(it->path().filename());
        std::error_code typeError;
        // A backslash in a file name would read back as a sub-folder of wav\ once stored (looked
        // for in the native name: in GBK the byte is also the second half of some characters).
        if (name.empty() || name.front() == '.' || it->path().filename().string().find('\\') != std::string::npos ||
            it->is_directory(typeError) || !isSoundFileName(name))
            continue;
        files.push_back("wav\\" + name);
    }
    std::sort(files.begin(), files.end(), [](const std::string &a, const std::string &b) {
        const std::string la = lower(a), lb = lower(b);
        return la != lb ? la < lb : a < b;
    });
    return files;
}

}  // namespace tessaly
