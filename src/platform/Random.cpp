#include "platform/Random.h"

#include <random>

namespace qly {
namespace {

// Fixed default seed, so that a program that never seeds still behaves the same way every run.
std::mt19937& generator() {
    static std::mt19937 rng(5489u);
    return rng;
}

} // namespace

void RandSeed(uint32_t seed) {
    generator().seed(seed);
}

void Randomize() {
    std::random_device rd;
    generator().seed(rd());
}

int32_t Random(int32_t range) {
    if (range <= 0) {
        return 0;
    }
    // Multiply-and-shift instead of a standard distribution: the standard distributions may
    // differ between library implementations, this does not.
    const uint64_t v = generator()();
    return static_cast<int32_t>((v * static_cast<uint64_t>(range)) >> 32);
}

} // namespace qly
