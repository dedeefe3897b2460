#pragma once

#include <QString>

#include <optional>

// The overwrite count: each unit is two passes over the file.
namespace OverwriteCount {

constexpr int Minimum = 1;
constexpr int Maximum = 10;
constexpr int Default = 2;

constexpr int clamped(int count)
{
    return count < Minimum ? Minimum : (count > Maximum ? Maximum : count);
}

// The "x overwrite" field as a decimal integer (blanks around it allowed);
// nothing when it is not one (empty, letters, beyond 32 bits).
std::optional<int> parse(const QString &field);

} // namespace OverwriteCount
