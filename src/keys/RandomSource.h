#pragma once

#include <QtGlobal>

#include <functional>

// The program's random source: the 32-bit linear congruential generator
//   seed := seed * 134775813 + 1 (mod 2^32)
// with Random(n) = the high 32 bits of the 64-bit product seed * n, a number
// from 0 to n - 1. It is reseeded from the high-resolution counter before
// every use (the personal key generator reseeds before each character, the
// password prompt before each set of decoy keystrokes). It is not a
// cryptographic generator.
class RandomSource
{
public:
    // Yields the current value of a time source; only its low 32 bits count.
    using Counter = std::function<quint64()>;

    RandomSource(); // reseeds from highResolutionCounter()
    explicit RandomSource(Counter counter);

    // seed := the low 32 bits of the counter.
    void reseed();

    // Advances the seed once; 0 when n is 0.
    quint32 Random(quint32 n);

    quint32 seed() const { return m_seed; }
    void setSeed(quint32 seed) { m_seed = seed; }

    // The platform's high-resolution monotonic counter (nanoseconds of
    // std::chrono::steady_clock).
    static quint64 highResolutionCounter();

private:
    Counter m_counter;
    quint32 m_seed = 0;
};
