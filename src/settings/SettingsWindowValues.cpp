#include "settings/SettingsWindowValues.h"

#include "core/Prompter.h"
#include "core/TextTrim.h"
#include "settings/SettingsFile.h"

#include <QFileInfo>

void SettingsWindowFields::takeStored(const StoredSettings &stored, SettingsValues &values)
{
    if (!stored.password)
        return;
    values.acceptedPassword = TextTrim::trimmed(*stored.password);
    passwordField = values.acceptedPassword;

    if (!stored.personalKey)
        return;
    values.personalKey = TextTrim::trimmed(*stored.personalKey);
    keyField = values.personalKey;

    if (!stored.language)
        return;
    language = languageFromStored(
        SettingsLines::parseInteger(TextTrim::trimmed(*stored.language)).value_or(1));

    if (!stored.dataPath)
        return;
    values.dataPath =
        SettingsLines::namesExistingFolder(*stored.dataPath) ? *stored.dataPath : values.dataFolder;
    if (!QFileInfo(values.dataPath).isDir())
        values.dataPath = values.dataFolder;

    if (!stored.backupFolder)
        return;
    backupField = *stored.backupFolder;

    if (!stored.carriedValue)
        return;
    values.carriedValue = TextTrim::trimmed(*stored.carriedValue);

    dataPathField = values.dataPath;
}

SettingsReading::Status SettingsWindowFields::load(const QString &settingsPath,
                                                   const QByteArray &textKey,
                                                   SettingsValues &values, QString *error)
{
    const SettingsReading reading = SettingsReader::read(settingsPath, textKey);
    if (reading.status == SettingsReading::Status::Read)
        takeStored(reading.stored, values);
    else if (!reading.usable() && error)
        *error = reading.error;
    return reading.status;
}

bool saveWindowSettings(const QString &settingsPath, const QByteArray &textKey,
                        const SettingsValues &values, SettingsWindowFields &fields,
                        Prompter &prompter)
{
    fields.dataChanged = false;
    std::optional<QStringList> lines = SettingsLines::forRewrite(settingsPath, textKey, 11);
    bool ok = lines.has_value();
    if (ok) {
        SettingsLines::set(*lines, SettingsLine::Password, values.acceptedPassword);
        SettingsLines::set(*lines, SettingsLine::PersonalKey, TextTrim::trimmed(fields.keyField));
        SettingsLines::set(*lines, SettingsLine::Language,
                           QString::number(storedLanguage(fields.language)));
        SettingsLines::set(*lines, SettingsLine::DataPath, fields.dataPathField);
        SettingsLines::set(*lines, SettingsLine::FalseMarker, QStringLiteral("false"));
        SettingsLines::set(*lines, SettingsLine::BackupFolder,
                           TextTrim::trimmed(fields.backupField));
        SettingsLines::set(*lines, SettingsLine::CarriedValue,
                           TextTrim::trimmed(values.carriedValue));
        ok = SettingsFile::writeLines(settingsPath, textKey, *lines);
    }
    if (!ok)
        prompter.ask(
            Message::dialog(MessageIcon::Error, QString::fromUtf8(SettingsWindowSaveErrorText)));
    return ok;
}
