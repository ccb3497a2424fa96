#pragma once
#include <cstdint>

namespace wf {

// The program's one pseudo-random source, shared by the pack builder (filler
// bytes) and the key generator. Every program start begins from the same
// fixed state; reseed() mixes a value into the current state without
// restarting the sequence, so two re-seeds with the same value never repeat
// the draws.
class RandomSource {
public:
    RandomSource();
    virtual ~RandomSource() = default;
    virtual float draw();               // 0 <= r < 1
    virtual void reseed(float seconds); // mixes, does not restart

    // The one instance the program uses.
    static RandomSource &shared();

private:
    std::uint64_t m_state;
};

} // namespace wf
