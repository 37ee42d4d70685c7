#include "event/PreEventCheck.h"

#include "checkin/HallCheck.h"
#include "draw/DrawRecord.h"
#include "draw/Shortage.h"
#include "files/FileIo.h"
#include "files/Paths.h"
#include "participants/Jpeg.h"
#include "participants/PhotoCache.h"
#include "participants/ParticipantList.h"
#include "settings/AwardTable.h"
#include "settings/ProgramFiles.h"
#include "settings/Settings.h"
#include "special/Grouping.h"
#include "special/HotKeys.h"
#include "special/Secrets.h"
#include "text/Gbk.h"
#include "text/Lines.h"
#include "text/SplitField.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <set>
#include <unordered_map>

namespace tessaly {
namespace fs = std::filesystem;
using Level = CheckFinding::Level;

namespace {

class Findings {
public:
    explicit Findings(CheckReport &report) : m_report(report) {}
    void add(Level level, std::string utf8) { m_report.findings.push_back({level, utf8ToGbk(utf8)}); }
    void addGbk(Level level, std::string gbk) { m_report.findings.push_back({level, std::move(gbk)}); }

private:
    CheckReport &m_report;
};

// Up to `most` line numbers (from 1) joined for a finding, with "…" when more.
std::string lineNumbers(const std::vector<size_t> &lines, size_t most = 8)
{
    std::string out;
    for (size_t i = 0; i < lines.size() && i < most; ++i) {
        if (i)
            out += "、";
        out += std::to_string(lines[i]);
    }
    if (lines.size() > most)
        out += "…";
    return out;
}

bool isValidUtf8(std::string_view text, bool &hasNonAscii)
{
    hasNonAscii = false;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (len == 0 || i + len > text.size())
            return false;
        for (size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        if (len > 1)
            hasNonAscii = true;
        i += len;
    }
    return true;
}

// A numeric Option key and the range its meaning allows.
struct KeyRange {
    const char *key;
    long long min, max;
    const char *meaning;
};

constexpr KeyRange kOptionRanges[] = {
    {"Lucks", 0, kMaxAwards, "奖项个数"},
    {"IntervalTime", 20, 100, "滚动速度（毫秒）"},
    {"ntfs", 0, 2, "特殊名单启用方式"},
    {"startkey", 1, 255, "开始键"},
    {"privacystart", 1, kMaxPrivacyPosition, "隐私遮盖起始位置"},
    {"privacyend", 0, kMaxPrivacyPosition, "隐私遮盖结束位置"},
    {"currentLucki", 0, kMaxAwards - 1, "当前奖项"},
    {"currentSxtimes", 1, 10000, "当前批次"},
    {"currentnowgotodata", -1, 100000000, "抽奖位置"},
    {"currentovernum", 0, 100000000, "当前奖项已抽人数"},
    {"addgradep", 0, kMaxAwards, "补抽记录"},
    {"phowidth", 1, 10000, "图片宽度"},
    {"phoheight", 1, 10000, "图片高度"},
    {"Floatrownum", 1, 100, "结果窗口每行人数"},
};

void checkKeyRanges(const IniStore &settings, Findings &out)
{
    int bad = 0;
    for (const auto &range : kOptionRanges) {
        if (!settings.hasKey("Option", range.key))
            continue;
        const std::string text = settings.readString("Option", range.key);
        if (trimBlanks(text).empty())
            continue;
        int value = 0;
        if (!parseInteger(text, value)) {
            out.addGbk(Level::Blocking, TSL_GBK("set.dat：") + range.key + TSL_GBK("（") + utf8ToGbk(range.meaning) +
                                            TSL_GBK("）的值“") + text + TSL_GBK("”不是数字。"));
            ++bad;
        } else if (value < range.min || value > range.max) {
            out.addGbk(Level::Blocking, TSL_GBK("set.dat：") + range.key + TSL_GBK("（") + utf8ToGbk(range.meaning) +
                                            TSL_GBK("）的值 ") + text + TSL_GBK(" 超出范围 ") +
                                            std::to_string(range.min) + "~" + std::to_string(range.max) + TSL_GBK("。"));
            ++bad;
        }
    }
    if (bad == 0)
        out.add(Level::Ok, "set.dat 可以读取，各项数值都在允许范围内。");
}

void checkAwards(const GradeConfig &config, size_t entries, bool canreAward, const Result<Shortage> &shortage,
                 Findings &out)
{
    for (const auto &problem : config.problems)
        out.addGbk(Level::Blocking, TSL_GBK("奖项设置：") + problem);
    const AwardTable &table = config.awards;
    if (table.AwardCount == 0) {
        out.add(Level::Blocking, "没有设置任何奖项。");
        return;
    }
    long long total = 0;
    int bad = 0;
    for (int i = 0; i < table.AwardCount; ++i) {
        const LGrade &g = table[i];
        const std::string label = TSL_GBK("奖项“") + g.name + TSL_GBK("”");
        total += std::max(g.winners, 0);
        if (g.winners < 1) {
            out.addGbk(Level::Warning, label + TSL_GBK("的中奖人数是 ") + std::to_string(g.winners) + TSL_GBK("。"));
            ++bad;
            continue;
        }
        long long sum = 0;
        bool batchesOk = g.batchCount >= 1;
        for (int k = 1; batchesOk && k <= g.batchCount; ++k) {
            const int n = g.batchWinners(k);
            if (n < 1)
                batchesOk = false;
            sum += n;
        }
        if (!batchesOk || sum != g.winners) {
            out.addGbk(Level::Blocking, label + TSL_GBK("的分批“") + g.batchDetail + TSL_GBK("”（") +
                                            std::to_string(g.batchCount) + TSL_GBK(" 批）与中奖人数 ") +
                                            std::to_string(g.winners) + TSL_GBK(" 不符。"));
            ++bad;
        }
    }
    // The same decision as the stage's: ranges, special lists and repeat wins count.
    if (shortage && shortage->any()) {
        std::string text = shortfallText(*shortage, table) + TSL_GBK("。");
        if (!canreAward && total > static_cast<long long>(entries))
            text = utf8ToGbk("全部奖项共 " + std::to_string(total) + " 人，多于名单中的 " + std::to_string(entries) +
                             " 人：") + text;
        out.addGbk(Level::Warning, text);
        ++bad;
    }
    if (bad == 0)
        out.add(Level::Ok, std::to_string(table.AwardCount) + " 个奖项，共 " + std::to_string(total) +
                               " 人，各批人数相符。");
}

void checkGrouping(const IniStore &settings, int awardCount, size_t entries, Findings &out)
{
    if (!settings.readBool("Option", "canfz", false))
        return;
    int ranges = 0, bad = 0;
    for (int i = 0; i < awardCount; ++i) {
        const std::string value = settings.readString("Grfz", std::to_string(i));
        if (trimBlanks(value).empty())
            continue;
        ++ranges;
        const auto range = parseGroupRange(value);
        const long long first = range ? range->first : 0, last = range ? range->last : 0;
        const std::string where = TSL_GBK("奖项分组“") + value + TSL_GBK("”");
        if (!range) {
            out.addGbk(Level::Blocking, where + TSL_GBK("的行号范围无法识别。"));
            ++bad;
        } else if (first < 1 || first > last) {
            out.addGbk(Level::Blocking, where + TSL_GBK("的起始行在结束行之后或小于 1。"));
            ++bad;
        } else if (static_cast<unsigned long long>(last) > entries) {
            out.addGbk(Level::Blocking, where + TSL_GBK("超出名单范围（名单只有 ") + std::to_string(entries) +
                                            TSL_GBK(" 行）。"));
            ++bad;
        }
    }
    if (ranges > 0 && bad == 0)
        out.add(Level::Ok, "奖项分组：" + std::to_string(ranges) + " 个范围都在名单之内。");
}

// The list's encoding, blank, duplicate and "|" lines, and its longest entry.
std::optional<std::vector<std::string>> checkList(const fs::path &folder, Findings &out)
{
    auto data = readFile(programFile(folder, files::kParticipants));
    if (!data) {
        out.addGbk(Level::Blocking, TSL_GBK("名单 data.txt 无法读取：") + data.error().message);
        return std::nullopt;
    }
    // Chinese text in UTF-8 is often also a valid byte sequence of GBK, so a
    // text that is valid UTF-8 with characters beyond ASCII is taken for UTF-8.
    bool nonAscii = false;
    if (data->rfind("\xEF\xBB\xBF", 0) == 0 || (isValidUtf8(*data, nonAscii) && nonAscii))
        out.add(Level::Blocking, "名单 data.txt 是 UTF-8 编码，抽奖时中文会显示为乱码：请用“编辑抽奖人员名单”导入或 "
                                 "tessaly import 转换为 GBK。");
    else if (!isValidGbk(*data))
        out.add(Level::Warning, "名单 data.txt 中有不是 GBK 编码的字节，这些字会显示为乱码。");
    std::vector<std::string> lines = splitLines(*data);
    if (lines.empty()) {
        out.add(Level::Blocking, "名单 data.txt 是空的。");
        return lines;
    }
    std::vector<size_t> blank, bars, dups;
    std::unordered_map<std::string, size_t> seen;
    size_t longest = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        if (trimBlanks(line).empty())
            blank.push_back(i + 1);
        else if (!seen.emplace(line, i + 1).second)
            dups.push_back(i + 1);
        if (!separatorPositions(line, '|').empty())
            bars.push_back(i + 1);
        if (line.size() > lines[longest].size())
            longest = i;
    }
    if (!blank.empty())
        out.add(Level::Warning, "名单中有 " + std::to_string(blank.size()) + " 个空行（第 " + lineNumbers(blank) +
                                    " 行），空行也会被抽中。");
    if (!dups.empty())
        out.add(Level::Warning, "名单中有 " + std::to_string(dups.size()) + " 个重复行（第 " + lineNumbers(dups) +
                                    " 行），同一个人可能中奖两次。");
    if (!bars.empty())
        out.add(Level::Warning, "名单中有 " + std::to_string(bars.size()) + " 行含有“|”（第 " + lineNumbers(bars) +
                                    " 行），它是记录文件的分隔符。");
    out.addGbk(Level::Ok, TSL_GBK("名单共 ") + std::to_string(lines.size()) + TSL_GBK(" 行，最长的一行 ") +
                              std::to_string(lines[longest].size()) + TSL_GBK(" 个字节：") + lines[longest]);
    return lines;
}

// Decoded at the smallest scale: enough to know the photo will show.
bool photoDecodes(const fs::path &path)
{
    return loadJpegFile(path, DecodeBox{1, 1}).ok();
}

// The cache in the user's cache folder that brings the photos back quickly after a restart.
void checkPhotoCache(const fs::path &folder, const std::vector<std::string> &lines, Findings &out)
{
    const fs::path root = userCacheFolder();
    if (root.empty())
        return;
    const PhotoCacheStatus cache = photoCacheStatus(root, folder, lines);
    if (cache.photos == 0)
        return;
    if (cache.box.width <= 0)
        out.add(Level::Info, "照片缓存尚未建立：第一次加载照片时建立，之后加载更快。");
    else if (cache.cached == cache.photos)
        out.add(Level::Ok, "照片缓存完整：" + std::to_string(cache.cached) + " 张（" + std::to_string(cache.box.width) +
                               "x" + std::to_string(cache.box.height) + "）。");
    else
        out.add(Level::Info, "照片缓存不完整：" + std::to_string(cache.photos) + " 张中 " +
                                 std::to_string(cache.photos - cache.cached) + " 张未缓存，下次加载时从原图解码并补上。");
}

void checkPhotos(const fs::path &folder, const std::vector<std::string> &lines, Findings &out)
{
    const fs::path photos = programFile(folder, files::kPhotoFolder);
    std::error_code ec;
    if (!fs::is_directory(photos, ec)) {
        out.add(Level::Blocking, "照片模式下找不到照片文件夹 photo。");
        return;
    }
    std::vector<size_t> missing, broken;
    std::set<std::string> wanted;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string stored = std::string(files::kPhotoFolder) + "\\" + lines[i] + ".jpg";
        wanted.insert(asciiLower(lines[i]));
        const fs::path file = resolveStoredPath(folder, stored);
        if (!fs::is_regular_file(file, ec))
            missing.push_back(i + 1);
        else if (!photoDecodes(file))
            broken.push_back(i + 1);
    }
    std::vector<std::string> orphans;
    for (const auto &entry : fs::directory_iterator(photos, ec)) {
        std::string name = entry.path().filename().string();
        if (name.size() < 4 || asciiLower(name.substr(name.size() - 4)) != ".jpg")
            continue;
        if (!wanted.count(asciiLower(fileNameToGbk(name.substr(0, name.size() - 4)))))
            orphans.push_back(fileNameToGbk(name));
    }
    if (!missing.empty())
        out.add(Level::Blocking, std::to_string(missing.size()) + " 个人没有照片（名单第 " + lineNumbers(missing) + " 行）。");
    if (!broken.empty())
        out.add(Level::Warning, std::to_string(broken.size()) + " 张照片无法解码（名单第 " + lineNumbers(broken) +
                                    " 行），抽奖时只显示名字。");
    if (!orphans.empty()) {
        std::sort(orphans.begin(), orphans.end());
        std::string names;
        for (size_t i = 0; i < orphans.size() && i < 5; ++i)
            names += (i ? TSL_GBK("、") : std::string()) + orphans[i];
        out.addGbk(Level::Warning, std::to_string(orphans.size()) + TSL_GBK(" 张照片不在名单中：") + names +
                                       (orphans.size() > 5 ? TSL_GBK("…") : std::string()));
    }
    if (missing.empty() && broken.empty())
        out.add(Level::Ok, "照片模式：名单中每个人都有照片。");
    checkPhotoCache(folder, lines, out);
}

void checkSounds(const fs::path &folder, const SoundSettings &sounds, SoundProbe *probe, Findings &out)
{
    const struct {
        const std::string &file;
        bool on;
        const char *what;
    } all[] = {{sounds.bmusic, sounds.canbmusic, "背景音乐"},
               {sounds.smusic, sounds.cansmusic, "开始音效"},
               {sounds.emusic, sounds.canemusic, "停止音效"},
               {sounds.sbmusic, sounds.cansbmusic, "结果音乐"}};
    int bad = 0;
    for (const auto &sound : all) {
        if (!sound.on || trimBlanks(sound.file).empty())
            continue;
        const fs::path path = resolveStoredPath(folder, sound.file);
        std::error_code ec;
        auto data = fs::is_regular_file(path, ec) ? readFile(path) : Result<std::string>(makeError(ErrorCode::FileMissing, {}));
        if (!data) {
            out.addGbk(Level::Warning, utf8ToGbk(sound.what) + TSL_GBK(" ") + sound.file + TSL_GBK(" 不存在，将不播放。"));
            ++bad;
        } else if (!looksLikeSound(*data)) {
            out.addGbk(Level::Warning,
                       utf8ToGbk(sound.what) + TSL_GBK(" ") + sound.file + TSL_GBK(" 不是可以播放的声音文件，将不播放。"));
            ++bad;
        } else if (std::string error = probe ? probe->decodeError(path) : std::string(); !error.empty()) {
            // A right head on a damaged body: only decoding to the end tells.
            out.addGbk(Level::Warning, utf8ToGbk(sound.what) + TSL_GBK(" ") + sound.file + TSL_GBK(" 无法解码（") +
                                           error + TSL_GBK("），将不播放。"));
            ++bad;
        }
    }
    if (bad == 0)
        out.add(Level::Ok, "音效文件都在。");
}

void checkRecords(const fs::path &folder, const IniStore &settings, const std::vector<std::string> &lines,
                  const AwardTable &awards, Findings &out)
{
    auto record = readFile(programFile(folder, files::kRecord));
    if (!record) {
        out.addGbk(Level::Blocking, TSL_GBK("抽奖记录 ARecord.dat 无法读取：") + record.error().message);
        return;
    }
    if (record->find('\0') != std::string::npos)
        out.add(Level::Warning, "抽奖记录 ARecord.dat 中有损坏的字节（NUL）。");
    const RecordReadout readout = readRecordLines(*record);
    std::vector<size_t> badLines(readout.badLines.begin(), readout.badLines.end());
    if (!badLines.empty())
        out.add(Level::Warning, "抽奖记录 ARecord.dat 第 " + lineNumbers(badLines) + " 行无法识别。");
    size_t winners = 0;
    std::set<std::string> names(lines.begin(), lines.end());
    std::vector<std::string> unknown;
    for (const auto &award : readout.names)
        for (const auto &name : award) {
            ++winners;
            if (!names.count(name))
                unknown.push_back(name);
        }
    if (!unknown.empty()) {
        std::string list;
        for (size_t i = 0; i < unknown.size() && i < 5; ++i)
            list += (i ? TSL_GBK("、") : std::string()) + unknown[i];
        out.addGbk(Level::Warning, std::to_string(unknown.size()) + TSL_GBK(" 个已记录的中奖人不在当前名单中：") + list);
    }
    // The same rule as the restore at start-up: saved marks, order or position
    // past the end of the list block the draw.
    std::string saved[2];
    const char *savedFiles[2] = {files::kDrawnMarks, files::kDrawOrder};
    for (int i = 0; i < 2; ++i) {
        auto text = readFile(programFile(folder, savedFiles[i]));
        if (text)
            saved[i] = std::move(*text);
        else if (text.code() != ErrorCode::FileMissing)
            out.addGbk(Level::Blocking, text.error().message);
    }
    const DrawPosition pos = readDrawPosition(settings);
    const SavedStateFit fit = savedStateFits(lines.size(), saved[0], saved[1], pos);
    for (const auto &problem : fit.problems)
        out.addGbk(Level::Blocking, problem + TSL_GBK("启动时不会读入上次的抽奖记录，需要重新开始抽奖。"));
    if (const int badLine = checkMarksFile(saved[0], lines.size()); fit.fits() && badLine != 0)
        // Marks that fit the list's length but not its lines are mended from the records at the start.
        out.add(Level::Warning, std::string(files::kDrawnMarks) +
                                    (badLine > static_cast<int>(lines.size()) ? " 的行数与当前名单不符"
                                                                              : " 第 " + std::to_string(badLine) + " 行与当前名单不符") +
                                    "：启动时将按中奖记录确定谁已中奖。");
    if (fit.orderBadLine != 0)
        out.add(Level::Blocking, std::string(files::kDrawOrder) + " 第 " + std::to_string(fit.orderBadLine) +
                                     " 行与当前名单不符：名单在抽奖开始后被改动过。");
    if (winners == 0) {
        out.add(Level::Ok, "还没有开始抽奖。");
        return;
    }
    std::string award = pos.CurrentAward >= 0 && pos.CurrentAward < awards.AwardCount
                            ? awards[pos.CurrentAward].name
                            : std::to_string(pos.CurrentAward + 1);
    out.addGbk(Level::Info, TSL_GBK("抽奖正在进行：已记录 ") + std::to_string(winners) + TSL_GBK(" 名中奖人，当前奖项“") +
                                award + TSL_GBK("”第 ") + std::to_string(pos.CurrentBatch) + TSL_GBK(" 批，本奖项已抽 ") +
                                std::to_string(pos.DrawnInAward) + TSL_GBK(" 人。"));
}

}  // namespace

bool CheckReport::blocking() const
{
    return count(Level::Blocking) > 0;
}

int CheckReport::count(Level level) const
{
    return static_cast<int>(
        std::count_if(findings.begin(), findings.end(), [level](const CheckFinding &f) { return f.level == level; }));
}

bool looksLikeSound(std::string_view head)
{
    auto starts = [&](std::string_view magic) { return head.substr(0, magic.size()) == magic; };
    if (starts("ID3") || starts("RIFF") || starts("MThd") || starts("OggS") || starts("fLaC"))
        return starts("RIFF") ? head.size() >= 12 && head.substr(8, 4) == "WAVE" : true;
    static const char asf[] = "\x30\x26\xB2\x75\x8E\x66\xCF\x11";
    if (starts(std::string_view(asf, 8)))
        return true;
    // An MPEG audio frame without a tag: eleven sync bits.
    return head.size() >= 2 && static_cast<unsigned char>(head[0]) == 0xFF &&
           (static_cast<unsigned char>(head[1]) & 0xE0) == 0xE0;
}

CheckReport checkEventFolder(const fs::path &folder, SoundProbe *sounds)
{
    CheckReport report;
    Findings out(report);
    std::error_code ec;
    if (!fs::is_regular_file(folder / files::kSettings, ec)) {
        out.addGbk(Level::Blocking, TSL_GBK("找不到 set.dat：") + utf8ToGbk(folder.string()) +
                                        TSL_GBK(" 不是一个活动文件夹。"));
        return report;
    }
    auto settings = openSettings(folder);
    if (!settings) {
        out.addGbk(Level::Blocking, TSL_GBK("set.dat 无法读取：") + settings.error().message);
        return report;
    }
    checkKeyRanges(*settings, out);
    const auto lines = checkList(folder, out);
    const size_t entries = lines ? lines->size() : 0;
    const GradeConfig config = readConfigGrade(*settings, folder);
    checkAwards(config, entries, settings->readBool("Option", "canreAward", false), eventShortage(folder, *settings), out);
    checkGrouping(*settings, config.awards.AwardCount, entries, out);
    for (const char *key : {"sndmm", "locksremm"})
        if (std::string notice = unusableSecretNotice(*settings, key); !notice.empty())
            out.addGbk(Level::Warning, notice);
    for (const auto &problem : storedHotKeyProblems(*settings))
        out.addGbk(Level::Warning, TSL_GBK("快捷键 ") + problem);
    if (settings->readBool("Option", "ispho", false) && lines)
        checkPhotos(folder, *lines, out);
    checkSounds(folder, config.sounds, sounds, out);
    if (lines)
        checkRecords(folder, *settings, *lines, config.awards, out);
    for (CheckFinding &finding : checkHallFiles(folder, *settings, lines ? *lines : std::vector<std::string>{}))
        out.addGbk(finding.level, std::move(finding.text));
    return report;
}

std::string formatCheckReport(const CheckReport &report, const fs::path &folder)
{
    std::string text = TSL_GBK("检查活动文件夹：") + utf8ToGbk(folder.string()) + "\r\n";
    for (const auto &finding : report.findings) {
        switch (finding.level) {
        case Level::Ok: text += TSL_GBK("[正常] "); break;
        case Level::Info: text += TSL_GBK("[信息] "); break;
        case Level::Warning: text += TSL_GBK("[注意] "); break;
        case Level::Blocking: text += TSL_GBK("[阻止] "); break;
        }
        text += finding.text + "\r\n";
    }
    const int blocking = report.count(Level::Blocking);
    const int warnings = report.count(Level::Warning);
    if (blocking > 0)
        text += TSL_GBK("结论：有 ") + std::to_string(blocking) + TSL_GBK(" 个问题必须先解决，否则不能正常抽奖。") + "\r\n";
    else if (warnings > 0)
        text += TSL_GBK("结论：可以抽奖，但请看一看上面 ") + std::to_string(warnings) + TSL_GBK(" 个需要注意的地方。") + "\r\n";
    else
        text += TSL_GBK("结论：一切正常，可以抽奖。") + "\r\n";
    return text;
}

}  // namespace tessaly
