// Award grouping: an award drawn only among a block of lines of the list. The
// ranges live in section Grfz of set.dat, keyed by award index, each as
// "index|label:first-last" with lines counted from 1.
#pragma once

#include "settings/AwardTable.h"
#include "settings/IniStore.h"

#include <optional>
#include <string>
#include <vector>

namespace tessaly {

struct LineRange {
    long long first = 0;
    long long last = 0;
};

// The award as the grouping dialog names it: its name, "(", winners, "名)".
std::string awardLabel(const LGrade &award);

// The lines of a stored Grfz value; nothing when they are not two numbers.
std::optional<LineRange> parseGroupRange(const std::string &value);

// Grfz values of the awards 0 to lucks - 1 that cannot be read, each as "key=value" (GBK).
std::vector<std::string> groupingProblems(const IniStore &settings, int lucks);

// The dialog's list "分组情况": for every award with a range, the stored value
// after its first "|" (label, colon, range).
std::vector<std::string> readGroupItems(const IniStore &settings, int lucks);

// The item a new range adds: label ":" first "-" last.
std::string groupItem(const std::string &label, const std::string &first, const std::string &last);

enum class GroupField { Award, First, Last };

struct GroupCheck {
    bool ok = true;
    std::string message;  // GBK
    GroupField focus = GroupField::Award;
};

// The checks of "添加" in order. Lines are typed as digits; a range whose first
// line lies after its last is refused too, since it would hold nobody.
GroupCheck checkGroupInput(bool awardSelected, const std::string &first, const std::string &last,
                           size_t participantCount);

// OK of the dialog: canfz, then every award's range removed and the items
// written under the index of their label (first match, any letter case; -1
// when the label is gone). A later item for the same award wins.
void writeGrouping(IniStore &settings, bool enabled, const std::vector<std::string> &items,
                   const std::vector<std::string> &labels, int lucks);

}  // namespace tessaly
