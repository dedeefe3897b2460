#pragma once

#include <QByteArray>
#include <QString>

// Small helpers for tests that work on real files in a temporary folder.
namespace TestFiles {

bool write(const QString &path, const QByteArray &content);
QByteArray read(const QString &path);
QByteArray randomBytes(qsizetype size, quint32 seed);

// Path of a fixture file under tests/data.
QString fixture(const QString &name);

} // namespace TestFiles
