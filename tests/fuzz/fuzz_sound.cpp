// The sound settings of a set.dat as found, and the wav folder as the operator
// filled it: every sound the draw plays is its shipped default or a file that
// exists, and the dialog's list holds only sound files of the wav folder itself,
// sorted. Input: set.dat, then "~~~~", then one file name per line for wav/.
#include "FuzzSupport.h"

#include "files/Paths.h"
#include "settings/Settings.h"
#include "sound/SoundRules.h"
#include "sound/SoundSettings.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

using namespace tessaly;

namespace {

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const fuzz::ScratchFolder folder;
    folder.clear();
    const auto parts = fuzz::splitParts(fuzz::asText(data, size), 2);
    folder.write("set.dat", parts[0]);
    std::error_code ec;
    std::filesystem::create_directories(folder.path() / "wav", ec);
    std::size_t made = 0;
    std::size_t start = 0;
    const std::string &names = parts[1];
    while (start <= names.size() && made < 64) {
        std::size_t end = names.find('\n', start);
        if (end == std::string::npos)
            end = names.size();
        std::string name = names.substr(start, std::min<std::size_t>(end - start, 100));
        start = end + 1;
        std::replace(name.begin(), name.end(), '/', '_');
        std::replace(name.begin(), name.end(), '\0', '_');
        if (name.empty() || name == "." || name == "..")
            continue;
        if (name.back() == '~') {  // a trailing mark makes a folder of that name
            name.pop_back();
            if (!name.empty() && name != "." && name != "..")
                std::filesystem::create_directories(folder.path() / "wav" / name, ec);
        }
        else
            folder.write("wav/" + name, "x");
        ++made;
    }

    auto store = openSettings(folder.path());
    FUZZ_CHECK(store.ok());
    const SoundSettings shipped;
    const SoundSettings sounds = readSoundSettings(*store, folder.path());
    for (auto kind : {SoundKind::Background, SoundKind::Start, SoundKind::Stop, SoundKind::ResultsBackground}) {
        const std::string path = storedSoundPath(sounds, kind);
        FUZZ_CHECK(path == storedSoundPath(shipped, kind) || storedFileExists(folder.path(), path));
    }
    (void)readSoundDialogValues(*store);

    const auto files = listSoundFiles(folder.path());
    FUZZ_CHECK(files.size() <= made);
    for (std::size_t i = 0; i < files.size(); ++i) {
        FUZZ_CHECK(files[i].rfind("wav\\", 0) == 0);
        FUZZ_CHECK(files[i].size() > 4 && files[i][4] != '.');
        FUZZ_CHECK(isSoundFileName(files[i]));
        FUZZ_CHECK(files[i].find('\\', 4) == std::string::npos);  // nothing from a sub-folder
        if (i > 0)
            FUZZ_CHECK(lower(files[i - 1]) <= lower(files[i]));
    }
    return 0;
}
