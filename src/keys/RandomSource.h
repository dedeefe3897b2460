#pragma once

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <functional>
#include <optional>
#include <span>

// Whole numbers drawn uniformly from a byte source, by default the operating
// system's random source (platform/SystemRandom): the personal key's
// characters and the password prompt's decoy keys come from here. Each draw
// takes 32 bits; a value in the top part of that range that would favour the
// low numbers (2^32 is no multiple of the count) is thrown away and drawn
// again, so every number of the range is equally likely.
//
// A byte source that fails gives no number at all, never a made-up one:
// the caller refuses the work that needed it.
class RandomSource
{
public:
    // Fills the bytes; false when it cannot (the bytes are then not used).
    using ByteSource = std::function<bool(std::span<std::byte> bytes, QString *reason)>;

    RandomSource(); // the system's random source
    explicit RandomSource(ByteSource source);

    // A number from lowest to highest, both included (lowest <= highest).
    std::optional<quint32> between(quint32 lowest, quint32 highest);

    // Why the last draw gave nothing, in the source's own words; empty when
    // the source said nothing (as when it gave only unusable numbers).
    QString failure() const { return m_failure; }

private:
    // A number from 0 to count - 1, count from 1 to 2^32.
    std::optional<quint32> below(quint64 count);

    ByteSource m_source;
    QString m_failure;
};
