#pragma once
// The process-wide pseudo-random generator. The application seeds it once at start-up; tests seed
// it with a fixed value so that everything drawn from it (the PDF file identifiers, for one) is
// reproducible. Not for cryptographic use. Main thread only.

#include <cstdint>

namespace qly {

// Seeds the generator with a fixed value; the same seed gives the same sequence on every build.
void RandSeed(uint32_t seed);
// Seeds the generator from the system's entropy source.
void Randomize();
// A value in 0 ... range - 1, evenly spread; 0 when range <= 0.
int32_t Random(int32_t range);

} // namespace qly
