#include "proof/ProofRandom.h"

namespace tessaly {

ProofRandom::ProofRandom(std::string key, std::string purpose) : m_key(std::move(key)), m_purpose(std::move(purpose))
{
}

std::uint32_t ProofRandom::nextWord()
{
    if (m_used + 4 > m_bytes.size()) {
        std::string message = m_purpose;
        message += '\0';
        for (int shift = 56; shift >= 0; shift -= 8)
            message += static_cast<char>((m_block >> shift) & 0xff);
        m_bytes = hmacSha256(m_key, message);
        ++m_block;
        m_used = 0;
    }
    std::uint32_t x = 0;
    for (int i = 0; i < 4; ++i)
        x = (x << 8) | m_bytes[m_used++];
    return x;
}

int ProofRandom::below(int n)
{
    if (n < 1)
        return 0;
    const std::uint64_t range = std::uint64_t(1) << 32;
    const std::uint64_t limit = range - range % static_cast<std::uint64_t>(n);
    for (;;) {
        const std::uint64_t x = nextWord();
        if (x < limit)
            return static_cast<int>(x % static_cast<std::uint64_t>(n));
    }
}

std::string awardSeed(const std::string &seed, int award, const std::string &guestNumbers)
{
    std::string message = seed;
    const auto a = static_cast<std::uint32_t>(award);
    for (int shift = 24; shift >= 0; shift -= 8)
        message += static_cast<char>((a >> shift) & 0xff);
    message += guestNumbers;
    return digestBytes(sha256(message));
}

}  // namespace tessaly
