#include "settings/AwardTable.h"

#include "files/Paths.h"
#include "settings/Encodings.h"
#include "text/Gbk.h"
#include "text/SplitField.h"

#include <algorithm>

namespace tessaly {

int LGrade::batchWinners(int k) const
{
    int n = 0;
    if (!parseInteger(SplitField(batchDetail, '+', k), n))
        return 0;
    return n;
}

std::string gradeValue(const LGrade &g)
{
    return joinCompound({g.name, std::to_string(g.winners), std::to_string(g.batchCount), g.batchDetail,
                         g.prizeName, g.prizePicture});
}

namespace {

std::string joinFields(const std::string &value, int from, int to)
{
    std::string text;
    for (int f = from; f <= to; ++f) {
        if (f > from)
            text += '|';
        text += SplitField(value, '|', f);
    }
    return text;
}

// True when the detail holds one number per batch and they add up to the winners.
bool detailAddsUp(const std::string &detail, int winners, int batches)
{
    if (fieldCount(detail, '+') != batches)
        return false;
    long long sum = 0;
    for (int k = 1; k <= fieldCount(detail, '+'); ++k) {
        int n = 0;
        if (!parseInteger(SplitField(detail, '+', k), n))
            return false;
        sum += n;
    }
    return sum == winners;
}

}  // namespace

ParsedGrade parseGradeValue(const std::string &value)
{
    ParsedGrade p;
    // Counted by separators: an empty picture after the last "|" is a field too.
    const int fields = static_cast<int>(separatorPositions(value, '|').size()) + 1;
    const int extra = std::max(0, fields - 6);
    // With extra fields, every place of the extra "|" in the award name is
    // tried; the rest of them belong to the prize name.
    for (int a = 0; a <= extra; ++a) {
        LGrade g;
        g.name = joinFields(value, 1, 1 + a);
        const std::string winners = SplitField(value, '|', 2 + a);
        const std::string batches = SplitField(value, '|', 3 + a);
        const bool winnersOk = parseInteger(winners, g.winners);
        const bool batchesOk = parseInteger(batches, g.batchCount);
        g.batchDetail = SplitField(value, '|', 4 + a);
        if (a == 0 && (!winnersOk || !batchesOk)) {
            p.grade = g;
            p.badWinners = !winnersOk;
            p.badNumber = winnersOk ? batches : winners;
        }
        if (!winnersOk || !batchesOk || (extra > 0 && !detailAddsUp(g.batchDetail, g.winners, g.batchCount)))
            continue;
        const int last = std::max(6, fields);
        g.prizeName = joinFields(value, 5 + a, last - 1);
        g.prizePicture = SplitField(value, '|', last);
        p.grade = std::move(g);
        p.numbersOk = true;
        p.separatorInName = extra > 0;
        return p;
    }
    return p;
}

AwardTable loadAwardTable(const IniStore &settings, std::vector<std::string> &problems)
{
    AwardTable table;
    int count = settings.readInteger("Option", "Lucks", 0);
    if (count > kMaxAwards) {
        problems.push_back(TSL_GBK("奖项数量 ") + std::to_string(count) + TSL_GBK(" 超过 50 个，只读取前 50 个奖项。"));
        count = kMaxAwards;
    }
    if (count < 0)
        count = 0;
    for (int i = 0; i < count; ++i) {
        ParsedGrade parsed = parseGradeValue(settings.readString("Grade", std::to_string(i)));
        if (!parsed.numbersOk) {
            problems.push_back(TSL_GBK("奖项设置有误：第") + std::to_string(i + 1) + TSL_GBK("个奖项“") +
                               parsed.grade.name +
                               (parsed.badWinners ? TSL_GBK("”的中奖人数“") : TSL_GBK("”的批数“")) +
                               parsed.badNumber +
                               TSL_GBK("”不是数字。请在“主副标题/奖项设置”中改正，之后的奖项暂不读取。"));
            break;
        }
        if (parsed.separatorInName)
            problems.push_back(TSL_GBK("奖项设置有误：第") + std::to_string(i + 1) + TSL_GBK("个奖项“") +
                               parsed.grade.name + TSL_GBK("”的奖项名称或奖品名称中含有“|”字符。") +
                               TSL_GBK("请在“主副标题/奖项设置”中修改。"));
        table[i] = std::move(parsed.grade);
        table.AwardCount = i + 1;
    }
    return table;
}

void saveAwardTable(IniStore &settings, const AwardTable &table)
{
    settings.writeInteger("Option", "Lucks", table.AwardCount);
    for (int i = 0; i < table.AwardCount; ++i)
        settings.writeString("Grade", std::to_string(i), gradeValue(table[i]));
}

namespace {

std::string soundPath(const IniStore &settings, const std::filesystem::path &programDir, const char *key,
                      const char *fallback)
{
    std::string stored = settings.readString("Option", key);
    if (!stored.empty() && storedFileExists(programDir, stored))
        return stored;
    return fallback;
}

}  // namespace

GradeConfig readConfigGrade(const IniStore &settings, const std::filesystem::path &programDir)
{
    GradeConfig c;
    c.templates.Caption = settings.readString("GrStatus", "Caption");
    c.templates.qCaption = settings.readString("GrStatus", "qCaption");
    c.templates.bCaption = settings.readString("GrStatus", "bCaption");
    c.templates.bhCaption = settings.readString("GrStatus", "bhCaption");

    c.sounds.bmusic = soundPath(settings, programDir, "bmusic", "wav\\bg2.mp3");
    c.sounds.smusic = soundPath(settings, programDir, "smusic", "wav\\start3.mp3");
    c.sounds.emusic = soundPath(settings, programDir, "emusic", "wav\\stop1.wav");
    c.sounds.sbmusic = soundPath(settings, programDir, "sbmusic", "wav\\bg4.mp3");
    c.sounds.canbmusic = settings.readBool("Option", "canbmusic", true);
    c.sounds.cansmusic = settings.readBool("Option", "cansmusic", true);
    c.sounds.canemusic = settings.readBool("Option", "canemusic", true);
    c.sounds.cansbmusic = settings.readBool("Option", "cansbmusic", true);

    // A malformed interval falls back to the usual 40 ms; a timer needs at least 1 ms.
    int interval = 40;
    if (!parseInteger(settings.readString("Option", "IntervalTime", "40"), interval) || interval < 1)
        interval = 40;
    c.IntervalTime = interval;

    c.awards = loadAwardTable(settings, c.problems);
    c.ScrollDown = settings.readBool("Option", "scrolldown", true);
    c.CurrentAward = c.ScrollDown ? c.awards.AwardCount - 1 : 0;
    c.CurrentBatch = 1;
    return c;
}

}  // namespace tessaly
