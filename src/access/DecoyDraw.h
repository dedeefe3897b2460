#pragma once

#include <QString>

class RandomSource;

// The decoy keystrokes that follow one typed character: the random source is
// reseeded, n := Random(6) with 0, 1 and 2 turned into 6, and n + 1 characters
// are drawn with Random(123), where a draw below "!" or above "z" becomes "a".
// So a typed character gets 4 to 7 decoys from "!" to "z", and 7 of them half
// of the time.
namespace DecoyDraw {

constexpr int MinimumCount = 4;
constexpr int MaximumCount = 7;
constexpr char16_t Lowest = u'!';
constexpr char16_t Highest = u'z';

QString draw(RandomSource &random);

} // namespace DecoyDraw
