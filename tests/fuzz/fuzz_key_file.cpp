// Key files received from other people, or any file picked by mistake.
#include "FuzzFile.h"

#include "core/TextTrim.h"
#include "keys/ApplicationTextKey.h"
#include "keys/KeyFile.h"
#include "keys/PersonalKey.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString path = fuzzScratchFile(bytes, "input.key");
    const QByteArray key(ApplicationTextKey);

    const std::optional<QStringList> lines = ReadKeyFile(path, key);
    fuzzCheck(lines.has_value());
    fuzzCheck(bytes.isEmpty() == lines->isEmpty());

    const std::optional<QString> restored = RestorePersonalKey(path, key);
    fuzzCheck(restored.has_value());
    fuzzCheck(TextTrim::trimmed(*restored) == *restored);
    fuzzCheck(restored->isEmpty() || restored->size() <= lines->first().size());
    return 0;
}
