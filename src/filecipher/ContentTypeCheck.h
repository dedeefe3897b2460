#pragma once

#include <QByteArrayView>
#include <QString>

// Whether a decrypted file looks like what its name promises. Used after a
// decryption to warn when, say, report.pdf does not start like a PDF: a sign
// of a wrong key in formats that cannot tell by themselves.
enum class ContentFit {
    Fits,       // the name's type has a signature (or is text) and the bytes show it
    DoesNotFit, // the name's type has a signature (or is text) and the bytes do not show it
    Unknown,    // the name's type has no signature to check, or no type database
};

// Names that promise text (TextContentCheck) fit when the bytes read as text.
// head is the start of the file; a few KiB are enough and more is ignored.
// A head of contentHeadSize bytes or more counts as cut from a longer file.
ContentFit contentFitsName(const QString &fileName, QByteArrayView head);

// How much of the file's start contentFitsName() looks at.
inline constexpr qsizetype contentHeadSize = 8 * 1024;
