#pragma once

#include <QByteArray>
#include <QString>

// Small helpers for tests that work on real files in a temporary folder.
namespace TestFiles {

bool write(const QString &path, const QByteArray &content);
QByteArray read(const QString &path);
QByteArray randomBytes(qsizetype size, quint32 seed);

// A small but well-formed file of each kind, padded to a few KiB, for the
// checks that look at what a result's name promises.
QByteArray pdfContent();
QByteArray pngContent();

// Path of a fixture file under tests/data.
QString fixture(const QString &name);

} // namespace TestFiles
