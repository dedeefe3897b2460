#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// One file of the public test kit of the strong format (tests/data/age):
// "key: value" lines, an empty line, then the file itself.
struct TestKitVector
{
    QString name;
    QByteArray expect; // "success", "header failure", "armor failure", ...
    QByteArray payloadHash;
    QByteArray passphrase;
    bool armored = false;
    QByteArray file;

    static TestKitVector read(const QString &name);
    // The names of the stored vectors.
    static QStringList names();
};
