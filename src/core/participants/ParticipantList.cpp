#include "participants/ParticipantList.h"

#include "files/FileIo.h"
#include "files/Paths.h"
#include "participants/PhotoImport.h"
#include "settings/IniStore.h"
#include "settings/ProgramFiles.h"
#include "settings/Settings.h"
#include "text/Gbk.h"
#include "text/Lines.h"
#include "text/SplitField.h"

#include <algorithm>
#include <system_error>

namespace tessaly {
namespace fs = std::filesystem;

std::string applyPrivacyMask(const std::string &entry, const PrivacyMask &mask)
{
    if (!mask.enabled)
        return entry;
    const int start = mask.start < 1 ? 1 : mask.start;
    long long stars = static_cast<long long>(mask.end) - start + 1;
    if (stars < 0)
        return entry;  // an end below start - 1 means no mask
    if (stars > 30)
        stars = 30;
    const size_t keep = static_cast<size_t>(start - 1);
    std::string out = entry.substr(0, std::min(keep, entry.size()));
    out.append(static_cast<size_t>(stars), '*');
    if (mask.end >= 0 && static_cast<size_t>(mask.end) < entry.size())
        out.append(entry, static_cast<size_t>(mask.end), std::string::npos);
    return out;
}

PrivacyMask readPrivacyMask(const fs::path &programDir)
{
    PrivacyMask mask;
    auto settings = openSettings(programDir);
    if (!settings)
        return mask;
    mask.enabled = settings->readBool("Option", "privacy", false);
    if (!parseInteger(settings->readString("Option", "privacystart", "1"), mask.start))
        mask.start = 1;
    if (!parseInteger(settings->readString("Option", "privacyend", "1"), mask.end))
        mask.end = 1;
    return mask;
}

ParticipantLists buildParticipantLists(std::vector<std::string> lines, const PrivacyMask &mask)
{
    ParticipantLists lists;
    const size_t n = lines.size();
    lists.DisplayList.reserve(n);
    lists.StateList.reserve(n);
    if (mask.enabled) {
        for (const auto &line : lines)
            lists.DisplayList.push_back(applyPrivacyMask(line, mask));
        lists.NameList = std::move(lines);
    } else {
        lists.DisplayList = lines;
        lists.NameList = std::move(lines);
    }
    for (size_t i = 0; i < n; ++i)
        lists.StateList.push_back(std::to_string(i));
    // An empty list has no entry 0 to start from: the longest entry is empty then.
    size_t longest = 0;
    for (size_t i = 1; i < n; ++i)
        if (lists.DisplayList[i].size() > lists.DisplayList[longest].size())
            longest = i;
    if (n > 0)
        lists.LongestEntry = lists.DisplayList[longest];
    return lists;
}

Status LoadParticipants(const fs::path &programDir, ParticipantLists &lists)
{
    auto data = readFile(programFile(programDir, files::kParticipants));
    if (!data)
        return data.error();
    std::vector<std::string> lines = splitLines(*data);
    // Records join display and name with "|": a name that would read back
    // otherwise is refused rather than recorded wrong.
    for (size_t i = 0; i < lines.size(); ++i)
        if (!fitsAsLastField(lines[i]))
            return makeError(ErrorCode::BadValue,
                             TSL_GBK("参选名单data.txt第") + std::to_string(i + 1) + TSL_GBK("行“") + lines[i] +
                                 TSL_GBK("”含有竖线“|”或不完整的汉字，这样的名字无法在中奖记录中正确保存。"
                                         "请在名单中改正这一行后重新启动软件。"));
    lists = buildParticipantLists(std::move(lines), readPrivacyMask(programDir));
    return Ok{};
}

Result<int> ScanPhotoFolder(const fs::path &programDir)
{
    std::vector<std::string> names;
    std::vector<fs::path> pictures;
    std::error_code ec;
    fs::path folder = programFile(programDir, files::kPhotoFolder);
    for (const auto &entry : fs::directory_iterator(folder, ec)) {
        if (static_cast<int>(names.size()) >= kMaxPhotoNames)
            break;
        std::error_code typeEc;
        if (!entry.is_regular_file(typeEc))
            continue;
        std::string name = entry.path().filename().string();
        if (name.size() < 4 || asciiLower(name.substr(name.size() - 4)) != ".jpg")
            continue;
        names.push_back(fileNameToGbk(name.substr(0, name.size() - 4)));
        pictures.push_back(entry.path());
    }
    // A name the loader would refuse, or one GBK cannot store, never reaches data.txt.
    if (std::vector<std::string> unfit = unfitPhotoNames(pictures); !unfit.empty()) {
        std::string text = TSL_GBK("photo文件夹中下面这些图片的文件名含有竖线“|”或GBK编码无法保存的字符，"
                                   "不能作为参选名单，请改名后再试，名单没有改动：");
        for (size_t i = 0; i < unfit.size() && i < 10; ++i)
            text += "\n" + utf8ToGbk(unfit[i]);
        return makeError(ErrorCode::BadInput, text);
    }
    auto written = writeFileAtomic(programFile(programDir, files::kParticipants), joinLines(names));
    if (!written)
        return written.error();
    return static_cast<int>(names.size());
}

}  // namespace tessaly
