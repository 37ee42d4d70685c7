// The check-in codes handed out before the event: the list for the office
// (line, entry, code and, for a venue with a fixed address, a personal link)
// and the rows of the printed cards.
#pragma once

#include "Result.h"
#include "checkin/CheckInCodes.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tessaly {

struct CodeRow {
    int line = 0;       // from 1, in list order
    std::string entry;  // GBK
    std::string code;
};

// The codes of the event's list, giving new ones to entries without (and
// saving them) first, so a card printed today and a link sent tomorrow agree.
Result<std::vector<CodeRow>> codeRowsOf(const std::filesystem::path &programDir, std::string *token = nullptr);

// http://ADDRESS:PORT/e/TOKEN/checkin#c=CODE: the code stays after "#", so it never reaches a server's log.
std::string personalLink(std::string base, const std::string &token, const std::string &code);

// Writes the rows as .xlsx or .csv by the output's extension; `base` empty leaves the link column out.
Status exportCodeRows(const std::vector<CodeRow> &rows, const std::string &token, const std::string &base,
                      const std::filesystem::path &output);

// Who is checked in, for the organiser: every entry of the list with its code,
// "已签到" or not, the time and by which device ("控制台" for the operator's
// desk), written as .xlsx or .csv by the output's extension.
struct CheckInRow {
    int line = 0;
    std::string entry;  // GBK
    std::string code;
    bool checkedIn = false;
    std::int64_t time = 0;  // seconds since 1970, when checked in
    std::string device;
};
Result<std::vector<CheckInRow>> checkInRowsOf(const std::filesystem::path &programDir,
                                              const std::vector<std::string> &names);
// `utcOffsetSeconds` turns the times into the venue's clock.
Status exportCheckIns(const std::vector<CheckInRow> &rows, long utcOffsetSeconds, const std::filesystem::path &output);

}  // namespace tessaly
