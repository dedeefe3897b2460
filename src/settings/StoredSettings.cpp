#include "settings/StoredSettings.h"

#include "filetexts/FileProblemText.h"
#include "platform/DataFolder.h"
#include "platform/SafeOpen.h"
#include "settings/SettingsFile.h"

#include <QFileInfo>

StoredSettings StoredSettings::fromLines(const QStringList &lines)
{
    const auto line = [&lines](int index) -> std::optional<QString> {
        if (index < lines.size())
            return lines.at(index);
        return std::nullopt;
    };
    StoredSettings stored;
    stored.password = line(SettingsLine::Password);
    stored.personalKey = line(SettingsLine::PersonalKey);
    stored.language = line(SettingsLine::Language);
    stored.dataPath = line(SettingsLine::DataPath);
    stored.backupFolder = line(SettingsLine::BackupFolder);
    stored.carriedValue = line(SettingsLine::CarriedValue);
    return stored;
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
    const std::optional<QStringList> lines = SettingsFile::readLines(path, textKey, &reading.error);
    if (!lines) {
        reading.status = SettingsReading::Status::Unreadable;
        return reading;
    }
    reading.status = SettingsReading::Status::Read;
    reading.stored = StoredSettings::fromLines(*lines);
    return reading;
}

} // namespace SettingsReader
