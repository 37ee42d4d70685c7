// The personal check-in codes of an event and its secrets: one code per entry of
// the list, bound to the entry's text and its occurrence (the second "张伟" of
// the list keeps its own code), so saving the list again or exporting the codes
// twice gives every person the same code. Kept in checkin_codes.dat, rewritten
// whole through the atomic replace.
#pragma once

#include "Result.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaly {

inline constexpr const char *kCheckInCodesFile = "checkin_codes.dat";

// Letters and digits that cannot be mistaken for one another on a card (no 0/O,
// 1/I/L): 31 signs, so 8 of them give about 8.5e11 codes.
inline constexpr std::string_view kCodeAlphabet = "23456789ABCDEFGHJKMNPQRSTUVWXYZ";
inline constexpr size_t kCodeLength = 8;

// Bytes from the system's secure generator.
std::string secureRandomText(std::string_view alphabet, size_t length);

// Upper-cases a typed code and drops blanks and dashes; empty when what is left
// is not a code of the alphabet.
std::string normaliseCode(std::string_view typed);

// Compares two byte strings in time that depends only on their lengths.
bool constantTimeEquals(std::string_view a, std::string_view b);

// An entry as the codes know it: its text (GBK) and which occurrence of that text in the list (from 1).
struct EntryKey {
    std::string text;
    int occurrence = 1;
    auto operator<=>(const EntryKey &) const = default;
};

// The key of every entry of a list, in list order.
std::vector<EntryKey> entryKeysOf(const std::vector<std::string> &names);

class CheckInCodes {
public:
    // Reads the file; a missing file gives an empty book. Malformed lines are
    // skipped and counted (`damagedLines`).
    static Result<CheckInCodes> load(const std::filesystem::path &programDir);
    static CheckInCodes parse(std::string_view fileText);
    std::string format() const;

    // Gives every entry of the list without a code a new one (and the event its
    // token and hall secret when missing); true when something was added.
    // Codes of entries no longer in the list stay, so a person taken out and put
    // back keeps the card already printed.
    bool cover(const std::vector<std::string> &names);
    Status save(const std::filesystem::path &programDir) const;

    // The entry holding a code, compared in constant time against every code;
    // nullptr when none does.
    const EntryKey *findCode(std::string_view code) const;
    // The code of an entry; empty when it has none.
    std::string codeOf(const EntryKey &key) const;

    const std::string &token() const { return m_token; }
    const std::string &hallSecret() const { return m_hallSecret; }
    size_t size() const { return m_codes.size(); }
    int damagedLines() const { return m_damaged; }

private:
    std::string m_token;       // in every URL of the event's pages
    std::string m_hallSecret;  // keys the hall code shown on the stage
    std::vector<std::pair<std::string, EntryKey>> m_codes;  // in the order given out
    std::map<EntryKey, size_t> m_byEntry;
    int m_damaged = 0;
};

// The 4-digit hall code of a minute (minutes since 1970), keyed by the event's
// hall secret so that only someone who sees the stage can know it.
std::string hallCodeAt(std::string_view secret, std::int64_t minute);
// True when `typed` is the hall code of this minute or the one before (a phone
// that started typing just before the change is still taken).
bool hallCodeMatches(std::string_view secret, std::int64_t unixSeconds, std::string_view typed);

}  // namespace tessaly
