#pragma once

#include "keys/RandomSource.h"

#include <QList>
#include <QString>
#include <QtEndian>

#include <memory>

// Random sources for tests.
namespace FixedRandom {

// Gives these 32-bit numbers as its draws, in turn, then fails: the same
// numbers on every run.
inline RandomSource numbers(QList<quint32> draws)
{
    auto left = std::make_shared<QList<quint32>>(std::move(draws));
    return RandomSource([left](std::span<std::byte> bytes, QString *reason) {
        if (bytes.size() != sizeof(quint32) || left->isEmpty()) {
            if (reason)
                *reason = QStringLiteral("no more fixed numbers");
            return false;
        }
        qToLittleEndian(left->takeFirst(), bytes.data());
        return true;
    });
}

// Fails at once, with the reason a system would give.
inline RandomSource failing(const QString &reason)
{
    return RandomSource([reason](std::span<std::byte>, QString *why) {
        if (why)
            *why = reason;
        return false;
    });
}

} // namespace FixedRandom
