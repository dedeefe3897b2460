#include "settings/StoredSettings.h"

#include "filetexts/FileProblemText.h"
#include "platform/DataFolder.h"
#include "platform/SafeOpen.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QFileInfo>

StoredSettings StoredSettings::fromLines(const QStringList &lines, bool endsWithLineBreak)
{
    const auto line = [&lines](int index) -> std::optional<QString> {
        if (index < lines.size())
            return lines.at(index);
        return std::nullopt;
    };
    StoredSettings stored;
    stored.password = line(SettingsLine::Password);
    const qsizetype settingLines = endsWithLineBreak ? lines.size() - 1 : lines.size();
    if (SettingsLine::PersonalKey < settingLines)
        stored.personalKey = lines.at(SettingsLine::PersonalKey);
    stored.language = line(SettingsLine::Language);
    stored.dataPath = line(SettingsLine::DataPath);
    stored.backupFolder = line(SettingsLine::BackupFolder);
    stored.carriedValue = line(SettingsLine::CarriedValue);
    return stored;
}

QString settingsWithoutKeyLineText(const QString &settingsPath, Language language)
{
    return (language == Language::German
                ? QStringLiteral("Die Einstellungsdatei \"%1\" endet vor ihrer Schlüsselzeile "
                                 "und enthält keinen persönlichen Schlüssel.")
                : QStringLiteral("The settings file \"%1\" ends before its key line and holds "
                                 "no personal key."))
        .arg(QDir::toNativeSeparators(settingsPath));
}

namespace SettingsReader {

SettingsReading read(const QString &path, const QByteArray &textKey)
{
    SettingsReading reading;
    if (SafeOpen::kindAt(path) == FileProblem::Kind::Missing)
        return reading;
    reading.folder = DataFolder::check(QFileInfo(path).absolutePath());
    if (!reading.folder.isNone()) {
        reading.status = SettingsReading::Status::FolderRefused;
        reading.error = FileProblemText::dataFolderRefusal(reading.folder, Language::English);
        return reading;
    }
    bool endsWithLineBreak = false;
    const std::optional<QStringList> lines =
        SettingsFile::readLines(path, textKey, &reading.error, &endsWithLineBreak);
    if (!lines) {
        reading.status = SettingsReading::Status::Unreadable;
        return reading;
    }
    reading.status = SettingsReading::Status::Read;
    reading.stored = StoredSettings::fromLines(*lines, endsWithLineBreak);
    return reading;
}

} // namespace SettingsReader
