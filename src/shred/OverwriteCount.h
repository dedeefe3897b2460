#pragma once

// The overwrite count: each unit is two passes over the file.
namespace OverwriteCount {

constexpr int Minimum = 1;
constexpr int Maximum = 10;
constexpr int Default = 2;

constexpr int clamped(int count)
{
    return count < Minimum ? Minimum : (count > Maximum ? Maximum : count);
}

} // namespace OverwriteCount
