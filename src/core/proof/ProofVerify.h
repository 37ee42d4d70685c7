// Checking a draw from its proof: the chain of audit.log, every commitment
// against its revealed seed and inputs, every order rebuilt from the seed and
// the logged pool and rules, every stop and give-up replayed, and the result
// compared with ARecord.dat. Also the reveal of the seeds and the bundle a
// witness takes away.
#pragma once

#include "Result.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tessaly {

// The files of a proof by name: "audit.log", "ARecord.dat", "data.txt",
// "proof/inputs-n.txt" and, in an event folder, "proof/seed.txt".
using ProofFiles = std::map<std::string, std::string>;

Result<ProofFiles> readProofFolder(const std::filesystem::path &dir);
// The files of a bundle made by writeProofBundle (at most a few hundred MB).
Result<ProofFiles> readProofBundle(std::string_view zipBytes);

enum class VerifyOutcome {
    Pure = 0,      // everything matches and no award was touched by a person's choice
    Mismatch = 1,  // something does not match: the first difference is named
    Touched = 3,   // everything matches, but some award was touched (each named with the reason)
};

struct AwardFinding {
    std::string name;                  // GBK
    int winners = 0;                   // winners recorded by the replay
    std::vector<std::string> reasons;  // what a person's choice could have decided (GBK)
};

struct VerifyResult {
    VerifyOutcome outcome = VerifyOutcome::Mismatch;
    std::string firstDifference;  // GBK; empty when everything matches
    std::map<int, AwardFinding> awards;
    std::vector<std::string> commitments;  // "n: C" per commitment
    std::vector<std::string> notes;        // touches outside the final draw (an abandoned guest step)
    std::string finalHash;                 // the chain's latest hash
    bool revealed = false;
    std::string report;  // the whole report (GBK, CR LF)
};

VerifyResult verifyProof(const ProofFiles &files);

// Appends the reveal line (every seed kept) to audit.log; the draw ends until
// the next start from the beginning. Returns how many seeds were revealed.
Result<int> revealSeeds(const std::filesystem::path &dir);

// The bundle of a revealed draw: audit.log, ARecord.dat, data.txt and the
// inputs of every commitment. Refused before the reveal.
Status writeProofBundle(const std::filesystem::path &dir, const std::filesystem::path &zip);

}  // namespace tessaly
