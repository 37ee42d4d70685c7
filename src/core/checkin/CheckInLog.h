// The check-ins of an event: an append-only file (checkin.dat) of one line per
// check-in or undo, each line ending in a checksum of itself, so a line torn by
// a power cut is recognised and dropped instead of misread.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

inline constexpr const char *kCheckInFile = "checkin.dat";

struct CheckInLine {
    enum class Action { CheckIn, Undo };
    Action action = Action::CheckIn;
    std::string code;
    std::string device;   // the phone's key, or "console" for the operator
    std::int64_t time = 0;  // seconds since 1970
};

// "code|in|device|time|crc" with CR LF; the checksum (CRC-32, 8 hex digits) covers what comes before its "|".
std::string formatCheckInLine(const CheckInLine &line);

struct CheckInReadout {
    std::vector<CheckInLine> lines;  // the whole, valid lines in file order
    int damaged = 0;                 // complete lines whose checksum or fields are wrong
    bool tornTail = false;           // the file ends inside a line (an append cut short)
    size_t goodLength = 0;           // bytes up to the end of the last complete line
};

CheckInReadout readCheckInLines(std::string_view fileText);

// Who is checked in, replayed from the lines: a second check-in of the same
// code is no second check-in, an undo frees the code and its device.
struct CheckInState {
    struct Entry {
        std::string device;
        std::int64_t time = 0;
    };
    std::map<std::string, Entry> byCode;
    std::map<std::string, std::string> codeOfDevice;

    // False when the line changes nothing (already in, not in, device taken).
    bool apply(const CheckInLine &line);
    bool checkedIn(const std::string &code) const { return byCode.count(code) > 0; }
};

// A device key as a phone may send it: 8 to 64 letters, digits, "-" or "_".
bool isDeviceKey(std::string_view key);

inline constexpr const char *kConsoleDevice = "console";

std::uint32_t crc32Of(std::string_view bytes);

}  // namespace tessaly
