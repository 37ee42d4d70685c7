// The participant list: data.txt read into the name, display and state lists,
// with the privacy mask applied to what is shown.
#pragma once

#include "Result.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tessaly {

inline constexpr const char *kDrawnMark = "|ISOK|";

struct ParticipantLists {
    std::vector<std::string> NameList;     // the lines as read (GBK)
    std::vector<std::string> DisplayList;  // after the privacy mask
    std::vector<std::string> StateList;    // the index as text, or "|ISOK|" once drawn
    std::string LongestEntry;              // longest display text in bytes, first of equals

    size_t size() const { return NameList.size(); }
};

// The furthest byte a mask may name.
inline constexpr int kMaxPrivacyPosition = 255;

struct PrivacyMask {
    bool enabled = false;
    int start = 1;  // first masked byte, from 1
    int end = 1;    // last masked byte, inclusive
};

// The display form of one entry under the mask. At most 30 asterisks; an end
// below start - 1 masks nothing.
std::string applyPrivacyMask(const std::string &entry, const PrivacyMask &mask);

// Reads privacy, privacystart and privacyend from set.dat of the folder.
PrivacyMask readPrivacyMask(const std::filesystem::path &programDir);

// Builds the lists from the lines of a participant file.
ParticipantLists buildParticipantLists(std::vector<std::string> lines, const PrivacyMask &mask);

// Reads data.txt of the program folder into `lists`. When the file cannot be
// read, the lists keep what they held and the error comes back.
Status LoadParticipants(const std::filesystem::path &programDir, ParticipantLists &lists);

// Regenerates data.txt from the *.jpg files of photo\ (any letter case,
// folders skipped, at most 2001 names). Returns the number of names written.
Result<int> ScanPhotoFolder(const std::filesystem::path &programDir);

inline constexpr int kMaxPhotoNames = 2001;

}  // namespace tessaly
