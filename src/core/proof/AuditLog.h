// audit.log: one line per event of the draw, each carrying the SHA-256 of the
// line before it, so that a line removed, changed or moved breaks the chain.
//
//   line      = seq "|" prev "|" kind { "|" key "=" value }    (ASCII, ended by CR LF)
//   seq       = 1, 2, 3 ... in file order
//   prev      = lower-case hex SHA-256 of the previous line's bytes without
//               its line end; 64 zeros for the first line
// Values hold no "|" (numbers, hex, Base64 of GBK names).
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaly {

inline constexpr const char *kAuditLog = "audit.log";

using AuditFields = std::vector<std::pair<std::string, std::string>>;

struct AuditLine {
    long long seq = 0;
    std::string prev;
    std::string kind;
    AuditFields fields;
    std::string hash;  // hex SHA-256 of this line

    // The value of a key; empty when absent.
    std::string field(std::string_view key) const;
    bool has(std::string_view key) const;
};

struct AuditReadout {
    std::vector<AuditLine> lines;  // the lines up to the first fault
    int faultLine = 0;             // line number (from 1) of the first fault; 0 when none
    std::string fault;             // what is wrong there (GBK)
};

// Reads and checks the chain; stops at the first line that does not parse or
// does not follow its predecessor.
AuditReadout readAuditLog(std::string_view text);

inline const std::string kChainStart(64, '0');

// The writer's end of the chain: the next sequence number and the latest hash.
class AuditChain {
public:
    AuditChain() = default;
    AuditChain(long long lastSeq, std::string lastHash) : m_seq(lastSeq), m_head(std::move(lastHash)) {}

    // Composes the next line (with its CR LF) and moves the chain on.
    std::string append(std::string_view kind, const AuditFields &fields);
    long long nextSeq() const { return m_seq + 1; }
    const std::string &head() const { return m_head; }

private:
    long long m_seq = 0;
    std::string m_head = kChainStart;
};

// The chain's latest hash as shown in the hall: its first 16 hex digits in groups of four.
std::string shortChainHash(const std::string &hex);

}  // namespace tessaly
