#include "TestFiles.h"

#include <QFile>
#include <QRandomGenerator>

namespace TestFiles {

bool write(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(content) == content.size();
}

QByteArray read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(generator.bounded(256));
    return bytes;
}

QString fixture(const QString &name)
{
    return QStringLiteral(VELMORA_TEST_DATA "/") + name;
}

QByteArray pdfContent()
{
    return "%PDF-1.7\n%\xe2\xe3\xcf\xd3\n1 0 obj\n<< /Type /Catalog >>\nendobj\n" +
           QByteArray(4000, ' ') + "\n%%EOF\n";
}

QByteArray pngContent()
{
    return QByteArray::fromHex("89504e470d0a1a0a0000000d49484452000000010000000108020000"
                               "00907753de") +
           randomBytes(3000, 8);
}

} // namespace TestFiles
