#include "keys/PersonalKey.h"

#include "core/TextTrim.h"
#include "keys/KeyFile.h"

QString GenerateUserKey(RandomSource &random)
{
    QString key;
    for (quint32 i = 0; i <= 12; ++i) {
        random.reseed();
        quint32 v = random.Random(220 + i);
        if (v < 33)
            v = 33;
        key.append(QChar(static_cast<char16_t>(v)));
    }
    key.append(QLatin1String(UserKeyTail));
    return key;
}

QString GenerateUserKey()
{
    RandomSource random;
    return GenerateUserKey(random);
}

KeyFileWriteResult ExportPersonalKey(const QString &keyFilePath, const QByteArray &textKey,
                                     const QString &personalKey)
{
    return WriteKeyFile(keyFilePath, textKey, QStringList{personalKey});
}

bool ExportPersonalKey(const QString &keyFilePath, const QByteArray &textKey,
                       const QString &personalKey, QString *error)
{
    const KeyFileWriteResult result = ExportPersonalKey(keyFilePath, textKey, personalKey);
    if (!result.ok() && error)
        *error = result.message(Language::English);
    return result.ok();
}

std::optional<QString> RestorePersonalKey(const QString &keyFilePath, const QByteArray &textKey,
                                          QString *error)
{
    const std::optional<QStringList> lines = ReadKeyFile(keyFilePath, textKey, error);
    if (!lines)
        return std::nullopt;
    // A first line that is blank restores nothing, even when later lines hold
    // text: an empty personal key would be replaced by a new random one at the
    // next start, and every file encrypted under the old key would be lost.
    if (lines->isEmpty())
        return QString();
    return TextTrim::trimmed(lines->first());
}
