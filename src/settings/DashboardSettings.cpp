#include "settings/DashboardSettings.h"

#include "core/Prompter.h"
#include "core/TextTrim.h"
#include "settings/SettingsFile.h"

void DashboardSettings::readFrom(const StoredSettings &stored, Language systemLanguage,
                                 SettingsValues &shared)
{
    language = systemLanguage;
    if (!stored.password)
        return;
    storedPassword = TextTrim::trimmed(*stored.password);
    if (!stored.personalKey)
        return;
    personalKey = TextTrim::trimmed(*stored.personalKey);
    if (!stored.dataPath)
        return;
    shared.dataPath =
        SettingsLines::namesExistingFolder(*stored.dataPath) ? *stored.dataPath : shared.dataFolder;
    if (!stored.carriedValue)
        return;
    carriedValue = TextTrim::trimmed(*stored.carriedValue);
    // A file that reaches line 10 reaches line 3 as well.
    const QString line = stored.language.value_or(QString());
    if (!TextTrim::trimmed(line).isEmpty()) {
        // Leading blanks are skipped as by the number parser; anything else
        // that is not a number gives English.
        language = languageFromStored(
            SettingsLines::parseInteger(TextTrim::trimmedLeft(line)).value_or(1));
    }
}

SettingsReading::Status DashboardSettings::load(const QString &settingsPath,
                                                const QByteArray &textKey, Language systemLanguage,
                                                SettingsValues &shared, QString *error)
{
    const SettingsReading reading = SettingsReader::read(settingsPath, textKey);
    keyLineMissing = reading.status == SettingsReading::Status::Read && !reading.stored.personalKey;
    if (reading.usable()) {
        readFrom(reading.stored, systemLanguage, shared);
    } else {
        language = systemLanguage;
        if (error)
            *error = reading.error;
    }
    return reading.status;
}

bool saveDashboardSettings(const QString &settingsPath, const QByteArray &textKey,
                           const DashboardSettings &values, Prompter &prompter)
{
    std::optional<QStringList> lines = SettingsLines::forRewrite(settingsPath, textKey, 12);
    bool ok = lines.has_value();
    if (ok) {
        SettingsLines::set(*lines, SettingsLine::PersonalKey, values.personalKey);
        SettingsLines::set(*lines, SettingsLine::Language,
                           QString::number(storedLanguage(values.language)));
        SettingsLines::set(*lines, SettingsLine::CarriedValue, values.carriedValue);
        ok = SettingsFile::writeLines(settingsPath, textKey, *lines);
    }
    if (!ok)
        prompter.ask(
            Message::dialog(MessageIcon::Error, QString::fromUtf8(DashboardSaveErrorText)));
    return ok;
}
