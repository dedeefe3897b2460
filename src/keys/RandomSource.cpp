#include "keys/RandomSource.h"

#include <chrono>
#include <utility>

RandomSource::RandomSource()
    : RandomSource(&RandomSource::highResolutionCounter)
{
}

RandomSource::RandomSource(Counter counter)
    : m_counter(std::move(counter))
{
    reseed();
}

void RandomSource::reseed()
{
    m_seed = static_cast<quint32>(m_counter ? m_counter() : highResolutionCounter());
}

quint32 RandomSource::Random(quint32 n)
{
    m_seed = m_seed * 134775813u + 1u; // quint32 arithmetic wraps modulo 2^32
    return static_cast<quint32>((static_cast<quint64>(m_seed) * n) >> 32);
}

quint64 RandomSource::highResolutionCounter()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<quint64>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}
