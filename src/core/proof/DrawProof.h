// The draw's side of the proof: the secret seed of each start from the
// beginning and its published commitment, the audit chain the session writes
// to, and the generator every winner-deciding choice is drawn from.
//
// Files in the event folder:
//   audit.log            the hash chain (public)
//   proof/seed.txt       "n|seed hex" per commitment, readable by the owner only;
//                        never copied into a rehearsal
//   proof/inputs-n.txt   the exact bytes of what decides the draw at commitment n
// Commitment n: C = SHA-256(seed || SHA-256(inputs-n.txt)).
#pragma once

#include "Result.h"
#include "proof/AuditLog.h"
#include "proof/ProofRandom.h"

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessaly {

inline constexpr const char *kProofFolder = "proof";
inline constexpr const char *kSeedFile = "seed.txt";

std::filesystem::path seedFilePath(const std::filesystem::path &programDir);
std::string inputsFileName(int commitment);  // "proof/inputs-n.txt"

// What decides the draw, read from the event folder: the list's bytes, the
// award table's names, counts and batches, the grouping ranges, the special
// lists and their mode. Length-prefixed parts:
//   "Tessaly draw inputs 1" CR LF, then per part: name " " length CR LF bytes CR LF
Result<std::string> composeDrawInputs(const std::filesystem::path &programDir, bool listsActive);
// The parts of an inputs text by name; nothing when it is malformed.
std::optional<std::map<std::string, std::string>> parseDrawInputs(std::string_view text);

// C as lower-case hex, and its short form: the first 32 hex digits in 8 groups of 4.
std::string commitmentHex(const std::string &seed, std::string_view inputs);
std::string shortCommitment(const std::string &hex);

// The seeds of a seed file by commitment number (a later line of a number wins).
std::map<int, std::string> parseSeedFile(std::string_view text);

class DrawProof {
public:
    explicit DrawProof(std::filesystem::path programDir) : m_dir(std::move(programDir)) {}

    // Reads the end of the chain and the seed of the latest commitment.
    Status load();
    // A commitment with its seed is in force: the draw can go on under it.
    bool committed() const { return !m_seed.empty(); }
    bool revealed() const { return m_revealed; }
    int number() const { return m_number; }
    const std::string &commitment() const { return m_commitment; }
    const std::string &head() const { return m_chain.head(); }
    long long nextSeq() const { return m_chain.nextSeq(); }
    // The lines composed but not yet written (they go with the next save).
    std::string takePending() { return std::exchange(m_pending, {}); }
    const std::string &pending() const { return m_pending; }

    // A new seed from the operating system, kept in proof/seed.txt with the
    // inputs file; the commitment line joins the pending lines. `drawn` names
    // entries already drawn when the draw did not start from the beginning.
    Status beginCommitment(const std::string &reason, bool listsActive, int carriedRecords,
                           const std::vector<int> &drawn);
    // Tests only: where new seeds come from instead of the operating system.
    void setSeedSource(std::function<std::string()> source) { m_seedSource = std::move(source); }
    // Drops the seed in force after a commitment could not be made.
    void withdraw()
    {
        m_seed.clear();
        m_commitment.clear();
    }
    // Adds a line of the chain to the pending lines.
    void add(std::string_view kind, const AuditFields &fields);
    // The generator of one choice of an award; its purpose names the
    // commitment and the sequence number of the line that records the choice.
    ProofRandom generatorFor(int award, const std::string &guestNumbers, const std::string &what) const;
    static std::string purpose(const std::string &what, int commitment, long long seq);

private:
    std::filesystem::path m_dir;
    std::function<std::string()> m_seedSource;
    AuditChain m_chain;
    std::string m_pending;
    std::string m_seed;
    std::string m_commitment;
    int m_number = 0;
    bool m_revealed = false;
};

}  // namespace tessaly
