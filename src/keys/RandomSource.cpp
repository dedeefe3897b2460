#include "keys/RandomSource.h"

#include "platform/SystemRandom.h"

#include <QtEndian>

#include <array>
#include <utility>

namespace {

// A source that throws away this many draws in a row is broken: for a true
// one the chance is below 2^-24 per draw.
constexpr int MaximumRejections = 16;

} // namespace

RandomSource::RandomSource()
    : RandomSource(&SystemRandom::fill)
{
}

RandomSource::RandomSource(ByteSource source)
    : m_source(std::move(source))
{
}

std::optional<quint32> RandomSource::between(quint32 lowest, quint32 highest)
{
    Q_ASSERT(lowest <= highest);
    const std::optional<quint32> offset = below(quint64(highest - lowest) + 1);
    if (!offset)
        return std::nullopt;
    return lowest + *offset;
}

std::optional<quint32> RandomSource::below(quint64 count)
{
    m_failure.clear();
    constexpr quint64 range = quint64(1) << 32;
    // The largest multiple of count within 2^32: draws from it up are thrown
    // away.
    const quint64 limit = range - range % count;
    for (int attempt = 0; attempt < MaximumRejections; ++attempt) {
        std::array<std::byte, 4> bytes{};
        if (!m_source || !m_source(bytes, &m_failure))
            return std::nullopt;
        const quint64 value = qFromLittleEndian<quint32>(bytes.data());
        if (value < limit)
            return quint32(value % count);
    }
    return std::nullopt;
}
