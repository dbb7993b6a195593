#include "platform/random.h"

#include <chrono>

namespace platform {

SeededRandom::SeededRandom(std::optional<std::uint64_t> fixedSeed) : fixedSeed_(fixedSeed) { Randomize(); }

void SeededRandom::Randomize() {
    if (fixedSeed_) {
        engine_.seed(*fixedSeed_);
        return;
    }
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    engine_.seed(static_cast<std::uint64_t>(ticks));
}

int SeededRandom::Below(int bound) {
    if (bound <= 0) return 0;
    std::uniform_int_distribution<int> draw(0, bound - 1);
    return draw(engine_);
}

namespace {
RandomSource* installed = nullptr;
}

RandomSource& CurrentRandom() {
    if (installed) return *installed;
    static SeededRandom clockSeeded;
    return clockSeeded;
}

void InstallRandom(RandomSource* source) { installed = source; }

}  // namespace platform
