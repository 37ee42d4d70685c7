#include "checkin/CheckInCodes.h"

#include "files/FileIo.h"
#include "text/Lines.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <set>
#include <sys/random.h>

namespace tessaly {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kTokenKey = "token|";
constexpr std::string_view kSecretKey = "hall|";
constexpr size_t kTokenLength = 24;

bool isCodeSign(char c)
{
    return kCodeAlphabet.find(c) != std::string_view::npos;
}

bool isCode(std::string_view text)
{
    return text.size() == kCodeLength && std::all_of(text.begin(), text.end(), isCodeSign);
}

std::uint64_t rotl(std::uint64_t x, int b)
{
    return (x << b) | (x >> (64 - b));
}

void sipRound(std::uint64_t &v0, std::uint64_t &v1, std::uint64_t &v2, std::uint64_t &v3)
{
    v0 += v1; v1 = rotl(v1, 13); v1 ^= v0; v0 = rotl(v0, 32);
    v2 += v3; v3 = rotl(v3, 16); v3 ^= v2;
    v0 += v3; v3 = rotl(v3, 21); v3 ^= v0;
    v2 += v1; v1 = rotl(v1, 17); v1 ^= v2; v2 = rotl(v2, 32);
}

// SipHash-2-4 of one 64-bit word under a 128-bit key taken from the secret.
std::uint64_t sipHashWord(std::string_view secret, std::uint64_t word)
{
    std::uint64_t k[2] = {0x736f6d6570736575ULL, 0x646f72616e646f6dULL};
    for (size_t i = 0; i < secret.size(); ++i)
        k[(i / 8) % 2] ^= static_cast<std::uint64_t>(static_cast<unsigned char>(secret[i])) << (8 * (i % 8));
    std::uint64_t v0 = k[0] ^ 0x736f6d6570736575ULL, v1 = k[1] ^ 0x646f72616e646f6dULL;
    std::uint64_t v2 = k[0] ^ 0x6c7967656e657261ULL, v3 = k[1] ^ 0x7465646279746573ULL;
    v3 ^= word;
    sipRound(v0, v1, v2, v3);
    sipRound(v0, v1, v2, v3);
    v0 ^= word;
    const std::uint64_t last = 8ULL << 56;  // length 8, no tail bytes
    v3 ^= last;
    sipRound(v0, v1, v2, v3);
    sipRound(v0, v1, v2, v3);
    v0 ^= last;
    v2 ^= 0xff;
    for (int i = 0; i < 4; ++i)
        sipRound(v0, v1, v2, v3);
    return v0 ^ v1 ^ v2 ^ v3;
}

}  // namespace

std::string secureRandomText(std::string_view alphabet, size_t length)
{
    std::string text;
    // Rejection keeps every sign equally likely: bytes past the last whole
    // multiple of the alphabet's size are drawn again.
    const unsigned limit = 256 - 256 % static_cast<unsigned>(alphabet.size());
    unsigned char buffer[64];
    while (text.size() < length) {
        ssize_t got = ::getrandom(buffer, sizeof buffer, 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            std::abort();  // no secure randomness: a guessable code is worse than no start
        }
        for (ssize_t i = 0; i < got && text.size() < length; ++i)
            if (buffer[i] < limit)
                text += alphabet[buffer[i] % alphabet.size()];
    }
    return text;
}

std::string normaliseCode(std::string_view typed)
{
    std::string code;
    for (char c : typed) {
        if (c == ' ' || c == '-' || c == '\t')
            continue;
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        code += c;
        if (code.size() > kCodeLength)
            return {};
    }
    return isCode(code) ? code : std::string();
}

bool constantTimeEquals(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (size_t i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

std::vector<EntryKey> entryKeysOf(const std::vector<std::string> &names)
{
    std::vector<EntryKey> keys;
    keys.reserve(names.size());
    std::map<std::string, int, std::less<>> seen;
    for (const auto &name : names)
        keys.push_back({name, ++seen[name]});
    return keys;
}

Result<CheckInCodes> CheckInCodes::load(const fs::path &programDir)
{
    auto text = readFile(programDir / kCheckInCodesFile);
    if (!text) {
        if (text.code() == ErrorCode::FileMissing)
            return CheckInCodes{};
        return text.error();
    }
    return parse(*text);
}

CheckInCodes CheckInCodes::parse(std::string_view fileText)
{
    CheckInCodes book;
    for (const std::string &line : splitLines(fileText)) {
        if (line.empty())
            continue;
        if (line.starts_with(kTokenKey)) {
            const std::string value = line.substr(kTokenKey.size());
            if (book.m_token.empty() && value.size() >= 16 && value.size() <= 64 &&
                std::all_of(value.begin(), value.end(), isCodeSign))
                book.m_token = value;
            else
                ++book.m_damaged;
            continue;
        }
        if (line.starts_with(kSecretKey)) {
            const std::string value = line.substr(kSecretKey.size());
            if (book.m_hallSecret.empty() && value.size() >= 16 && value.size() <= 64)
                book.m_hallSecret = value;
            else
                ++book.m_damaged;
            continue;
        }
        // code|occurrence|text, the text last since it may hold "|" itself
        const auto first = line.find('|');
        const auto second = first == std::string::npos ? first : line.find('|', first + 1);
        int occurrence = 0;
        if (second != std::string::npos) {
            const char *begin = line.data() + first + 1, *end = line.data() + second;
            auto [ptr, ec] = std::from_chars(begin, end, occurrence);
            if (ec != std::errc() || ptr != end)
                occurrence = 0;
        }
        const std::string code = line.substr(0, first);
        if (second == std::string::npos || !isCode(code) || occurrence < 1) {
            ++book.m_damaged;
            continue;
        }
        EntryKey key{line.substr(second + 1), occurrence};
        // A code or an entry given twice keeps its first line: that is the one handed out.
        const bool codeTaken = std::any_of(book.m_codes.begin(), book.m_codes.end(),
                                           [&](const auto &c) { return c.first == code; });
        if (codeTaken || book.m_byEntry.count(key)) {
            ++book.m_damaged;
            continue;
        }
        book.m_byEntry.emplace(key, book.m_codes.size());
        book.m_codes.emplace_back(code, std::move(key));
    }
    return book;
}

std::string CheckInCodes::format() const
{
    std::string text;
    text += std::string(kTokenKey) + m_token + "\r\n";
    text += std::string(kSecretKey) + m_hallSecret + "\r\n";
    for (const auto &[code, key] : m_codes)
        text += code + "|" + std::to_string(key.occurrence) + "|" + key.text + "\r\n";
    return text;
}

bool CheckInCodes::cover(const std::vector<std::string> &names)
{
    bool added = false;
    if (m_token.empty()) {
        m_token = secureRandomText(kCodeAlphabet, kTokenLength);
        added = true;
    }
    if (m_hallSecret.empty()) {
        m_hallSecret = secureRandomText(kCodeAlphabet, kTokenLength);
        added = true;
    }
    std::set<std::string> used;
    for (const auto &c : m_codes)
        used.insert(c.first);
    for (EntryKey &key : entryKeysOf(names)) {
        if (m_byEntry.count(key))
            continue;
        std::string code;
        do
            code = secureRandomText(kCodeAlphabet, kCodeLength);
        while (!used.insert(code).second);
        m_byEntry.emplace(key, m_codes.size());
        m_codes.emplace_back(std::move(code), std::move(key));
        added = true;
    }
    return added;
}

Status CheckInCodes::save(const fs::path &programDir) const
{
    return writeFileAtomic(programDir / kCheckInCodesFile, format());
}

const EntryKey *CheckInCodes::findCode(std::string_view code) const
{
    // Every code is compared, so the time taken says nothing about how close a guess came.
    const EntryKey *found = nullptr;
    for (const auto &[stored, key] : m_codes) {
        const bool same = constantTimeEquals(stored, code);
        found = same ? &key : found;
    }
    return found;
}

std::string CheckInCodes::codeOf(const EntryKey &key) const
{
    auto it = m_byEntry.find(key);
    return it == m_byEntry.end() ? std::string() : m_codes[it->second].first;
}

std::string hallCodeAt(std::string_view secret, std::int64_t minute)
{
    const std::uint64_t value = sipHashWord(secret, static_cast<std::uint64_t>(minute)) % 10000;
    std::string text = std::to_string(value);
    return std::string(4 - text.size(), '0') + text;
}

bool hallCodeMatches(std::string_view secret, std::int64_t unixSeconds, std::string_view typed)
{
    const std::int64_t minute = unixSeconds / 60;
    const bool now = constantTimeEquals(hallCodeAt(secret, minute), typed);
    const bool before = constantTimeEquals(hallCodeAt(secret, minute - 1), typed);
    return now || before;
}

}  // namespace tessaly
