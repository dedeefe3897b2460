#pragma once

#include <QString>

#include <stdexcept>

// Comparison of dotted version texts ("2.1.0.0") as the update notice needs
// it: number by number from the left, a missing number counting as 0, so
// that 2.10.0.0 is newer than 2.9.0.0 and 1.2.4 is newer than 1.2.3.4.
namespace VersionCompare {

// A version text that is not made of decimal numbers (or holds one beyond
// the signed 32-bit range); what() is the message for the user.
class ConversionError : public std::runtime_error
{
public:
    explicit ConversionError(const QString &text);
};

enum class Verdict {
    Newer,     // the candidate is newer than the current version
    NotNewer,  // the same or older
    NoVersion, // either text holds nothing but dots and blanks
};

// Throws ConversionError when a text that is not empty has a part that is
// not a decimal number ("undefined", "1.x", "99999999999").
Verdict compare(const QString &current, const QString &candidate);

} // namespace VersionCompare
