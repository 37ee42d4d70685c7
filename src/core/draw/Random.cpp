#include "draw/Random.h"

#include <chrono>

namespace tessaly {
namespace {

std::uint64_t clockSeed()
{
    std::random_device device;
    const auto ticks = static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    return (static_cast<std::uint64_t>(device()) << 32) ^ device() ^ ticks;
}

}  // namespace

MtRandom::MtRandom() : m_engine(clockSeed()) {}

MtRandom::MtRandom(std::uint64_t fixedSeed) : m_engine(fixedSeed), m_fixed(true) {}

void MtRandom::seedFromClock()
{
    if (!m_fixed)
        m_engine.seed(clockSeed());
}

int MtRandom::below(int n)
{
    if (n < 1)
        return 0;
    return std::uniform_int_distribution<int>(0, n - 1)(m_engine);
}

}  // namespace tessaly
