// The random generator: seeded from the clock, drawing uniform integers below a bound. The
// source in use can be replaced, so that a test plays with a known seed or a scripted sequence.
#pragma once

#include <cstdint>
#include <optional>
#include <random>

namespace platform {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Seeds the generator from the clock.
    virtual void Randomize() = 0;
    // A uniform integer in 0 .. bound - 1; 0 when bound is not positive.
    virtual int Below(int bound) = 0;
};

// A Mersenne twister. Randomize seeds it from the clock, or, when a fixed seed was given, starts
// it again from that seed (so every game of a test replays the same draws).
class SeededRandom : public RandomSource {
public:
    explicit SeededRandom(std::optional<std::uint64_t> fixedSeed = std::nullopt);
    void Randomize() override;
    int Below(int bound) override;

private:
    std::optional<std::uint64_t> fixedSeed_;
    std::mt19937_64 engine_;
};

// The source in use; InstallRandom(nullptr) returns to the clock-seeded generator.
RandomSource& CurrentRandom();
void InstallRandom(RandomSource* source);

// Shorthands for the source in use.
inline void Randomize() { CurrentRandom().Randomize(); }
inline int Random(int bound) { return CurrentRandom().Below(bound); }

}  // namespace platform
