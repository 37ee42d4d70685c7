// The one source of chance of the draw: who wins and what rolls through the
// slots. Tests give it a fixed seed so a draw can be asserted exactly.
#pragma once

#include <cstdint>
#include <random>

namespace tessaly {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Called when an award's winners are about to be decided.
    virtual void seedFromClock() = 0;
    // A uniform integer in [0, n); 0 when n is below 1.
    virtual int below(int n) = 0;
};

// std::mt19937_64 behind the interface. The default one is seeded from
// std::random_device and the clock and reseeds at every award; one made with a
// fixed seed keeps its sequence, so a test can replay a draw.
class MtRandom : public RandomSource {
public:
    MtRandom();
    explicit MtRandom(std::uint64_t fixedSeed);

    void seedFromClock() override;
    int below(int n) override;

private:
    std::mt19937_64 m_engine;
    bool m_fixed = false;
};

}  // namespace tessaly
