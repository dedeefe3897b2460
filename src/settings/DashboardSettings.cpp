#include "settings/DashboardSettings.h"

#include "core/Prompter.h"
#include "core/TextTrim.h"
#include "settings/SettingsFile.h"

#include <QFileInfo>

SettingsLoad LoadSettings(const QString &iniPath, const QByteArray &key,
                          const QString &systemLanguageName, DashboardSettings &values,
                          SettingsValues &shared, QString *error)
{
    values.language = systemLanguageName.contains(QStringLiteral("Deutsch")) ? Language::German
                                                                             : Language::English;
    if (!QFileInfo::exists(iniPath))
        return SettingsLoad::NoFile;
    const std::optional<QStringList> read = ReadSettingsLines(iniPath, key, error);
    if (!read)
        return SettingsLoad::Unreadable;
    const QStringList &lines = *read;
    const auto has = [&](int line) { return line < lines.size(); };

    if (!has(SettingsLine::Password))
        return SettingsLoad::Loaded;
    values.storedPassword = TextTrim::trimmed(lines.at(SettingsLine::Password));
    if (!has(SettingsLine::PersonalKey))
        return SettingsLoad::Loaded;
    values.personalKey = TextTrim::trimmed(lines.at(SettingsLine::PersonalKey));
    if (!has(SettingsLine::DataPath))
        return SettingsLoad::Loaded;
    const QString dataPath = lines.at(SettingsLine::DataPath);
    shared.DataPath = SettingsLines::namesExistingFolder(dataPath) ? dataPath : shared.dataFolder;
    if (!has(SettingsLine::CarriedValue))
        return SettingsLoad::Loaded;
    values.carriedValue = TextTrim::trimmed(lines.at(SettingsLine::CarriedValue));
    const QString language = lines.at(SettingsLine::Language);
    if (!TextTrim::trimmed(language).isEmpty()) {
        // Leading blanks are skipped as by the number parser; anything else
        // that is not a number gives English.
        values.language = languageFromStored(
            SettingsLines::parseInteger(TextTrim::trimmedLeft(language)).value_or(1));
    }
    return SettingsLoad::Loaded;
}

bool SaveSettings(const QString &iniPath, const QByteArray &key, const DashboardSettings &values,
                  Prompter &prompter)
{
    std::optional<QStringList> lines = SettingsLines::forRewrite(iniPath, key, 12);
    bool ok = lines.has_value();
    if (ok) {
        SettingsLines::set(*lines, SettingsLine::PersonalKey, values.personalKey);
        SettingsLines::set(*lines, SettingsLine::Language,
                           QString::number(storedLanguage(values.language)));
        SettingsLines::set(*lines, SettingsLine::CarriedValue, values.carriedValue);
        ok = WriteSettingsLines(iniPath, key, *lines);
    }
    if (!ok)
        prompter.ask(
            Message::dialog(MessageIcon::Error, QString::fromUtf8(DashboardSaveErrorText)));
    return ok;
}
