// The generator behind every choice that decides a winner. It is fully
// determined by a 32-byte key (the award seed) and a purpose text, so anyone
// holding the revealed seed can recompute each choice:
//
//   block j   = HMAC-SHA-256(key, purpose || 0x00 || j as 8 bytes big-endian), j = 0, 1, 2, ...
//   stream    = block 0 || block 1 || ...
//   word      = the next 4 bytes of the stream, big-endian (an unsigned 32-bit x)
//   below(n)  = for 1 <= n < 2^31: limit = 2^32 - (2^32 mod n); take words until
//               x < limit, then x mod n. below(n) for n < 1 is 0 and takes no word.
#pragma once

#include "draw/Random.h"
#include "proof/ProofCrypto.h"

#include <cstdint>
#include <string>

namespace tessaly {

class ProofRandom : public RandomSource {
public:
    ProofRandom(std::string key, std::string purpose);

    void seedFromClock() override {}  // determined by key and purpose alone
    int below(int n) override;
    std::uint32_t nextWord();

private:
    std::string m_key;
    std::string m_purpose;
    std::uint64_t m_block = 0;
    Digest m_bytes{};
    size_t m_used = 32;
};

// The award seed: SHA-256(seed || award index as 4 bytes big-endian || guests' numbers).
std::string awardSeed(const std::string &seed, int award, const std::string &guestNumbers);

}  // namespace tessaly
