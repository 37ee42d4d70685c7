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
    return std::clamp(n, 0, kMaxStoredCount);
}

std::string gradeValue(const LGrade &g)
{
    return joinCompound({g.name, std::to_string(g.winners), std::to_string(g.batchCount), g.batchDetail,
                         g.prizeName, g.prizePicture});
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
        std::string value = settings.readString("Grade", std::to_string(i));
        LGrade g;
        g.name = SplitField(value, '|', 1);
        std::string winners = SplitField(value, '|', 2);
        std::string batches = SplitField(value, '|', 3);
        bool winnersOk = parseInteger(winners, g.winners);
        bool batchesOk = parseInteger(batches, g.batchCount);
        if (!winnersOk || !batchesOk) {
            const std::string &bad = winnersOk ? batches : winners;
            problems.push_back(TSL_GBK("奖项设置有误：第") + std::to_string(i + 1) + TSL_GBK("个奖项“") + g.name +
                               (winnersOk ? TSL_GBK("”的批数“") : TSL_GBK("”的中奖人数“")) + bad +
                               TSL_GBK("”不是数字。请在“主副标题/奖项设置”中改正，之后的奖项暂不读取。"));
            break;
        }
        if (g.winners < 0 || g.winners > kMaxStoredCount || g.batchCount < 0 || g.batchCount > kMaxStoredCount) {
            problems.push_back(TSL_GBK("奖项设置有误：第") + std::to_string(i + 1) + TSL_GBK("个奖项“") + g.name +
                               TSL_GBK("”的中奖人数或批数超出范围，已改为最近的有效值。"));
            g.winners = std::clamp(g.winners, 0, kMaxStoredCount);
            g.batchCount = std::clamp(g.batchCount, 0, kMaxStoredCount);
        }
        g.batchDetail = SplitField(value, '|', 4);
        g.prizeName = SplitField(value, '|', 5);
        g.prizePicture = SplitField(value, '|', 6);
        table[i] = std::move(g);
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
