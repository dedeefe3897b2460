// Settings files from outside (a restored backup, a damaged disk): the
// reader and what the dashboard and the settings window take from it must
// cope with whatever decoding yields.
#include "FuzzFile.h"

#include "keys/ApplicationTextKey.h"
#include "settings/DashboardSettings.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsWindowValues.h"
#include "settings/StoredSettings.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString path = fuzzScratchFile(bytes, "velmora.ini");
    const QByteArray key(ApplicationTextKey);

    const std::optional<QStringList> lines = SettingsFile::readLines(path, key);
    fuzzCheck(lines.has_value());
    qsizetype characters = 0;
    for (const QString &line : *lines) {
        fuzzCheck(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')));
        characters += line.size();
    }
    fuzzCheck(characters <= bytes.size()); // one character per byte, breaks removed

    SettingsValues shared;
    shared.dataFolder = QStringLiteral("/nonexistent-data-folder/");
    const SettingsReading reading = SettingsReader::read(path, key);
    fuzzCheck(reading.status == SettingsReading::Status::Read);
    SettingsWindowFields fields;
    fields.takeStored(reading.stored, shared);
    DashboardSettings dashboard;
    dashboard.readFrom(reading.stored, Language::English, shared);
    return 0;
}
