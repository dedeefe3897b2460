#pragma once

#include <QString>

// How a typed password meets the stored one. The stored form is the digest
// (MD5OfText, 32 lower-case hex digits) of the trimmed text; a stored value
// shorter than 32 characters is taken as a plain text and compared as typed.
// Trimming removes every character below code 33 at both ends.
namespace PasswordCheck {

constexpr int DigestLength = 32;

// What the prompt compares with the stored value `checkPass`: the trimmed
// text, turned into its digest when `checkPass` has 32 characters or more.
QString comparable(const QString &typed, const QString &checkPass);

// Exact comparison of comparable(typed, checkPass) with checkPass.
bool matches(const QString &typed, const QString &checkPass);

// The value stored for a new password: the digest of the trimmed text.
QString storedForm(const QString &typed);

} // namespace PasswordCheck
