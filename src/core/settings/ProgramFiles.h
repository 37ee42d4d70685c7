// Names of the files that live in the program folder.
#pragma once

namespace tessaly::files {

inline constexpr const char *kSettings = "set.dat";
inline constexpr const char *kFactorySettings = "Modual\\set.dat";
inline constexpr const char *kParticipants = "data.txt";
inline constexpr const char *kRecord = "ARecord.dat";
inline constexpr const char *kDrawOrder = "tmda.jpg";
inline constexpr const char *kDrawnMarks = "colip.jpg";
inline constexpr const char *kLog = "log.txt";
inline constexpr const char *kWinners = "prize.txt";
inline constexpr const char *kNonWinners = "noaward.txt";
inline constexpr const char *kPredetermined = "Read.reb";
inline constexpr const char *kExclusions = "write.reb";
inline constexpr const char *kPhotoFolder = "photo";
// Winners withdrawn since the draw began, and the check-in pool each award took.
inline constexpr const char *kWithdrawn = "withdrawn.dat";
inline constexpr const char *kHallPools = "checkin_pools.dat";

}  // namespace tessaly::files
