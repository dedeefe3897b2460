#include "settings/SettingsWindowIni.h"

#include "core/Prompter.h"
#include "core/TextTrim.h"
#include "settings/SettingsFile.h"

#include <QFileInfo>

IniLoad LoadIni(const QString &IniDatei, const QByteArray &Ccode, SettingsValues &values,
                SettingsWindowFields &fields, QString *error)
{
    if (!QFileInfo::exists(IniDatei))
        return IniLoad::NoFile;
    const std::optional<QStringList> read = ReadSettingsLines(IniDatei, Ccode, error);
    if (!read)
        return IniLoad::Unreadable;
    const QStringList &lines = *read;
    const auto has = [&](int line) { return line < lines.size(); };

    if (!has(SettingsLine::Password))
        return IniLoad::Loaded;
    values.acceptedPassword = TextTrim::trimmed(lines.at(SettingsLine::Password));
    fields.passwordField = values.acceptedPassword;

    if (!has(SettingsLine::PersonalKey))
        return IniLoad::Loaded;
    values.personalKey = TextTrim::trimmed(lines.at(SettingsLine::PersonalKey));
    fields.keyField = values.personalKey;

    if (!has(SettingsLine::Language))
        return IniLoad::Loaded;
    fields.language = languageFromStored(
        SettingsLines::parseInteger(TextTrim::trimmed(lines.at(SettingsLine::Language)))
            .value_or(1));

    if (!has(SettingsLine::DataPath))
        return IniLoad::Loaded;
    const QString dataPath = lines.at(SettingsLine::DataPath);
    values.DataPath = SettingsLines::namesExistingFolder(dataPath) ? dataPath : values.dataFolder;
    if (!QFileInfo(values.DataPath).isDir())
        values.DataPath = values.dataFolder;

    if (!has(SettingsLine::BackupFolder))
        return IniLoad::Loaded;
    fields.backupField = lines.at(SettingsLine::BackupFolder);

    if (!has(SettingsLine::CarriedValue))
        return IniLoad::Loaded;
    values.carriedValue = TextTrim::trimmed(lines.at(SettingsLine::CarriedValue));

    fields.dataPathField = values.DataPath;
    return IniLoad::Loaded;
}

bool SaveIni(const QString &IniDatei, const QByteArray &Ccode, const SettingsValues &values,
             SettingsWindowFields &fields, Prompter &prompter)
{
    fields.DataChanged = false;
    std::optional<QStringList> lines = SettingsLines::forRewrite(IniDatei, Ccode, 11);
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
        ok = WriteSettingsLines(IniDatei, Ccode, *lines);
    }
    if (!ok)
        prompter.ask(
            Message::dialog(MessageIcon::Error, QString::fromUtf8(SettingsWindowSaveErrorText)));
    return ok;
}
