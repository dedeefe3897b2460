#include "keys/PersonalKey.h"

#include "core/TextTrim.h"
#include "keys/KeyFile.h"

QString NewUserKey::refusal(Language language) const
{
    const bool german = language == Language::German;
    QString text = german ? QStringLiteral("Die Zufallsquelle des Systems hat versagt")
                          : QStringLiteral("The system's random source failed");
    if (!failure.isEmpty())
        text += QStringLiteral(" (%1)").arg(failure);
    text += german ? QStringLiteral(": Es wurde kein neuer Schlüssel erzeugt.")
                   : QStringLiteral(": no new key was made.");
    return text;
}

NewUserKey GenerateUserKey(RandomSource &random)
{
    NewUserKey result;
    QString key;
    for (quint32 i = 0; i <= 12; ++i) {
        const std::optional<quint32> code = random.between(33, 219 + i);
        if (!code) {
            result.failure = random.failure();
            return result;
        }
        key.append(QChar(static_cast<char16_t>(*code)));
    }
    key.append(QLatin1String(UserKeyTail));
    result.key = key;
    return result;
}

NewUserKey GenerateUserKey()
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
