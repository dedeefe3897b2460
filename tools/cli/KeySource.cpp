#include "KeySource.h"

#include "core/TextTrim.h"
#include "keys/ApplicationTextKey.h"
#include "keys/ExternalKey.h"
#include "platform/DataFolder.h"
#include "platform/SecretWipe.h"
#include "settings/SettingsFile.h"
#include "settings/StoredSettings.h"

#include <QDir>
#include <QStringDecoder>

#include <utility>

namespace {

// Removes "--key-file PATH" or "--key-file=PATH"; an empty optional when the
// option is absent, an empty path when its argument is missing.
std::optional<QString> takeKeyFileOption(QStringList &args, bool *missingPath)
{
    *missingPath = false;
    const qsizetype optionCount = optionWords(args).size();
    for (qsizetype i = 0; i < optionCount; ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--key-file")) {
            if (i + 1 >= optionCount) {
                *missingPath = true;
                args.removeAt(i);
                return QString();
            }
            const QString path = args.at(i + 1);
            args.remove(i, 2);
            return path;
        }
        if (arg.startsWith(QLatin1String("--key-file="))) {
            const QString path = arg.mid(int(sizeof("--key-file=")) - 1);
            args.removeAt(i);
            *missingPath = path.isEmpty();
            return path;
        }
    }
    return std::nullopt;
}

std::optional<QString> keyFromKeyFile(const QString &path, CliIo &io)
{
    QString error;
    std::optional<ExternalKey> key =
        ExternalKey::load(path, QByteArray(ApplicationTextKey), &error);
    if (!key) {
        io.err << "velmora2-cli: cannot read the key file " << error << '\n';
        return std::nullopt;
    }
    if (key->keyText.isEmpty())
        io.err << "velmora2-cli: " << ExternalKey::defaultKeyWarning(Language::English) << '\n';
    return std::move(key->keyText);
}

// The text of a key line read past the streams, decoded as the UTF-8 stream
// of standard input decodes it (a byte-order mark at the start is dropped,
// a broken sequence becomes U+FFFD, one cut off by the end of the input is
// dropped), straight into the one text that is returned.
QString decodeKeyLine(const StandardInput::SecretLine &line)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text(decoder.requiredSpace(line.bytes.size() + 1), Qt::Uninitialized);
    QChar *end = decoder.appendToBuffer(text.data(), line.bytes);
    // The line feed ends a sequence that the line leaves open (and is then
    // taken into its U+FFFD, as the stream does).
    if (line.lineEnded)
        end = decoder.appendToBuffer(end, "\n");
    text.truncate(end - text.constData());
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

// One line of standard input; nothing, with the reason printed, when there
// is none.
std::optional<QString> keyFromStandardInput(CliIo &io)
{
    QString line;
    if (io.readSecretLine) {
        StandardInput::SecretLine read = io.readSecretLine();
        switch (read.status) {
        case StandardInput::SecretLine::Status::Read:
            line = decodeKeyLine(read);
            SecretWipe::wipe(read.bytes);
            break;
        case StandardInput::SecretLine::Status::NoInput:
            io.err << "velmora2-cli: no key text on standard input\n";
            return std::nullopt;
        case StandardInput::SecretLine::Status::TooLong:
            io.err << "velmora2-cli: the key on standard input is longer than "
                   << MaxKeyLineBytes / (1024 * 1024) << " MiB\n";
            return std::nullopt;
        case StandardInput::SecretLine::Status::Failed:
            io.err << "velmora2-cli: cannot read the key from standard input: " << read.reason
                   << '\n';
            return std::nullopt;
        }
        // The stream took a CR before the line feed, or at the end of the
        // input, along with the line end.
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    } else {
        line = io.in.readLine();
        if (line.isNull()) {
            io.err << "velmora2-cli: no key text on standard input\n";
            return std::nullopt;
        }
    }
    if (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    // An empty key is the built-in default key, which everyone has: not what
    // a key on standard input is meant to be.
    if (line.isEmpty()) {
        io.err << "velmora2-cli: the key on standard input is empty (an empty key is the "
                  "built-in default key, which everyone has)\n";
        return std::nullopt;
    }
    return line;
}

} // namespace

QString defaultSettingsPath()
{
    return DataFolder::path() + QLatin1String(SettingsFileName);
}

std::optional<QString> personalKeyFromSettings(const QString &iniPath, CliIo &io)
{
    const QString shown = QDir::toNativeSeparators(iniPath);
    SettingsReading reading = SettingsReader::read(iniPath, QByteArray(ApplicationTextKey));
    switch (reading.status) {
    case SettingsReading::Status::NoFile:
        io.err << "velmora2-cli: no key given and no settings file " << shown
               << " with a personal key (use --key-file or --key-stdin)\n";
        return std::nullopt;
    case SettingsReading::Status::FolderRefused:
        // A key from a folder that others may write to could be theirs.
        io.err << "velmora2-cli: " << reading.error << '\n';
        return std::nullopt;
    case SettingsReading::Status::Unreadable:
        io.err << "velmora2-cli: cannot read the settings file " << reading.error << '\n';
        return std::nullopt;
    case SettingsReading::Status::Read:
        break;
    }
    if (!reading.stored.personalKey) {
        io.err << "velmora2-cli: " << settingsWithoutKeyLineText(iniPath, Language::English)
               << " Use --key-file or --key-stdin.\n";
        return std::nullopt;
    }
    const QString key = TextTrim::trimmed(*reading.stored.personalKey);
    SecretWipe::wipe(*reading.stored.personalKey); // the stored form, when trimming copied it
    if (key.isEmpty()) {
        io.err << "velmora2-cli: the settings file " << shown
               << " holds no personal key (use --key-file or --key-stdin)\n";
        return std::nullopt;
    }
    return key;
}

std::optional<QString> takeKeyText(QStringList &args, CliIo &io)
{
    // Only the words before "--" are options.
    bool fromStdin = false;
    for (qsizetype at = args.indexOf(QStringLiteral("--key-stdin"));
         at >= 0 && at < optionWords(args).size();
         at = args.indexOf(QStringLiteral("--key-stdin"))) {
        args.removeAt(at);
        fromStdin = true;
    }
    bool missingPath = false;
    const std::optional<QString> keyFile = takeKeyFileOption(args, &missingPath);
    if (missingPath) {
        io.err << "velmora2-cli: --key-file needs the path of a key file\n";
        return std::nullopt;
    }
    if (fromStdin && keyFile) {
        io.err << "velmora2-cli: give either --key-stdin or --key-file, not both\n";
        return std::nullopt;
    }
    if (keyFile)
        return keyFromKeyFile(*keyFile, io);
    if (fromStdin)
        return keyFromStandardInput(io);
    return personalKeyFromSettings(defaultSettingsPath(), io);
}
