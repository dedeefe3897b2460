#include "TestKitVector.h"

#include "TestFiles.h"

#include <QDir>

namespace {

QString folder()
{
    return TestFiles::fixture(QStringLiteral("age/testkit"));
}

} // namespace

TestKitVector TestKitVector::read(const QString &name)
{
    const QByteArray all = TestFiles::read(folder() + QLatin1Char('/') + name);
    const qsizetype split = all.indexOf("\n\n");
    TestKitVector vector;
    vector.name = name;
    if (split < 0)
        return vector;
    vector.file = all.mid(split + 2);
    for (const QByteArray &line : all.first(split).split('\n')) {
        const qsizetype colon = line.indexOf(": ");
        const QByteArray key = line.first(qMax(colon, 0));
        const QByteArray value = line.mid(colon + 2);
        if (key == "expect")
            vector.expect = value;
        else if (key == "payload")
            vector.payloadHash = value;
        else if (key == "passphrase")
            vector.passphrase = value;
        else if (key == "armored")
            vector.armored = value == "yes";
    }
    return vector;
}

QStringList TestKitVector::names()
{
    return QDir(folder()).entryList(QDir::Files, QDir::Name);
}
