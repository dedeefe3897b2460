#pragma once

#include <QString>

#include <optional>

class RandomSource;

// The decoy keystrokes that follow one typed character: 4 to 7 of them, each
// count equally likely, each decoy a printable character from "!" to "z",
// every one equally likely, all drawn from the random source.
namespace DecoyDraw {

constexpr int MinimumCount = 4;
constexpr int MaximumCount = 7;
constexpr char16_t Lowest = u'!';
constexpr char16_t Highest = u'z';

// Nothing when the random source failed.
std::optional<QString> draw(RandomSource &random);

} // namespace DecoyDraw
