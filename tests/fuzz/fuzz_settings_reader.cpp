// Settings files from outside (a restored backup, a damaged disk): the shared
// reader and both windows' readers must take whatever decoding yields.
#include "FuzzFile.h"

#include "keys/ApplicationTextKey.h"
#include "settings/DashboardSettings.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsWindowIni.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString path = fuzzScratchFile(bytes, "velmora.ini");
    const QByteArray key(ApplicationTextKey);

    const std::optional<QStringList> lines = ReadSettingsLines(path, key);
    fuzzCheck(lines.has_value());
    qsizetype characters = 0;
    for (const QString &line : *lines) {
        fuzzCheck(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')));
        characters += line.size();
    }
    fuzzCheck(characters <= bytes.size()); // one character per byte, breaks removed

    SettingsValues shared;
    shared.dataFolder = QStringLiteral("/nonexistent-data-folder/");
    SettingsWindowFields fields;
    fuzzCheck(LoadIni(path, key, shared, fields) == IniLoad::Loaded);
    DashboardSettings dashboard;
    fuzzCheck(LoadSettings(path, key, QStringLiteral("English"), dashboard, shared) ==
              SettingsLoad::Loaded);
    return 0;
}
