// The table of awards: up to 50 records, each drawn in batches, stored as the
// keys of section Grade and the count Option/Lucks.
#pragma once

#include "settings/IniStore.h"
#include "sound/SoundSettings.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace tessaly {

struct LGrade {
    std::string name;
    int batchCount = 0;
    std::string batchDetail;  // winners per batch joined by "+", such as 4+4+2
    int winners = 0;
    std::string prizeName;
    std::string prizePicture;  // stored form, relative to the program folder ("Awardimg\a.jpg")

    // Winners of batch k (from 1); 0 when the detail has no such number.
    int batchWinners(int k) const;
};

inline constexpr int kMaxAwards = 50;
// Bound of every count read from a file (winners, batches, positions): far
// above any list, far below where arithmetic on it could overflow.
inline constexpr int kMaxStoredCount = 10'000'000;

struct AwardTable {
    std::array<LGrade, kMaxAwards> grades;
    int AwardCount = 0;

    const LGrade &operator[](int i) const { return grades[static_cast<size_t>(i)]; }
    LGrade &operator[](int i) { return grades[static_cast<size_t>(i)]; }
};

// The stored Grade value of one award: name|winners|batches|detail|prize|picture.
std::string gradeValue(const LGrade &grade);

// One stored Grade value read into an award. A value with more than six fields
// holds a "|" in its award or prize name; the split that gives numeric winners
// and batches and a batch detail summing to the winners is taken, and
// `separatorInName` says so. `numbersOk` is false when no split gives numbers.
struct ParsedGrade {
    LGrade grade;
    bool numbersOk = false;
    bool separatorInName = false;
    std::string badNumber;  // the winners or batches text that is not a number
    bool badWinners = false;
};
ParsedGrade parseGradeValue(const std::string &value);

// Loads the table; a Grade value whose winners or batches field is not a number
// stops the loading there, and its problem is added to `problems` (GBK, naming
// the award and the value).
AwardTable loadAwardTable(const IniStore &settings, std::vector<std::string> &problems);

// Writes Lucks and the Grade keys of the table (keys past the count stay).
void saveAwardTable(IniStore &settings, const AwardTable &table);

struct StatusTemplates {
    std::string Caption;   // after a normal stop
    std::string qCaption;  // when a batch is prepared
    std::string bCaption;  // when a supplement is set up
    std::string bhCaption; // after a supplement stop
};

// What ReadConfigGrade loads: templates, sounds, roll interval, the awards and
// the starting award.
struct GradeConfig {
    StatusTemplates templates;
    SoundSettings sounds;
    int IntervalTime = 40;
    AwardTable awards;
    bool ScrollDown = true;
    int CurrentAward = 0;
    int CurrentBatch = 1;
    std::vector<std::string> problems;  // for the operator, GBK
};

GradeConfig readConfigGrade(const IniStore &settings, const std::filesystem::path &programDir);

}  // namespace tessaly
