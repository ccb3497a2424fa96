#include "options/RandomSource.h"
#include <cstring>

namespace wf {

namespace {
// splitmix64: small, fast, and good enough for filler bytes and key pieces.
std::uint64_t mix(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}
constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15ULL;
constexpr std::uint64_t kInitialState = 0x5772656E666F6C64ULL; // fixed: same draws every start
} // namespace

RandomSource::RandomSource() : m_state(kInitialState) {}

float RandomSource::draw()
{
    m_state += kGolden;
    // 24 random bits give every float in [0, 1) with step 2^-24, never 1.
    return static_cast<float>(mix(m_state) >> 40) * (1.0f / 16777216.0f);
}

void RandomSource::reseed(float seconds)
{
    std::uint32_t bits;
    std::memcpy(&bits, &seconds, sizeof bits);
    // Folding the seed into the running state (and stepping it) means a
    // repeated seed lands somewhere new instead of restarting the sequence.
    m_state = mix(m_state ^ mix(bits + kGolden)) + kGolden;
}

RandomSource &RandomSource::shared()
{
    static RandomSource source;
    return source;
}

} // namespace wf
