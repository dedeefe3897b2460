#include "CliCommand.h"
#include "KeySource.h"

#include "keys/ApplicationTextKey.h"
#include "keys/KeyFile.h"
#include "platform/SecretWipe.h"
#include "platform/StopSignals.h"

#include <QFileInfo>

namespace {

// Writes and reads key files, the format in which keys are exchanged.
class CommandKeyfile : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("keyfile"); }
    QString summary() const override { return QStringLiteral("write or read a key file"); }
    QString usage() const override
    {
        return QStringLiteral(
            "Usage: velmora2-cli keyfile write KEYFILE [NAME...] [--key-stdin | --key-file OTHER]\n"
            "       velmora2-cli keyfile read KEYFILE\n\n"
            "write  stores a key in KEYFILE, followed by the NAMEs as file-name lines\n"
            "       (bare names of files in the key file's folder). The key comes from\n"
            "       --key-stdin (one line of UTF-8, not empty), from line 1 of another key\n"
            "       file, or else the personal key of the settings file. The file is\n"
            "       replaced whole and is readable by its owner only.\n"
            "read   prints the decoded lines of KEYFILE, one per line, in UTF-8.\n\n"
            "A key or name with a character outside the Windows-1252 code page is\n"
            "refused: the key file could not hold it, and another key would result.\n");
    }

    int run(const QStringList &arguments, CliIo &io) override
    {
        QStringList args = arguments;
        if (args.isEmpty()) {
            io.err << usage();
            return ExitUsage;
        }
        const QString action = args.takeFirst();
        if (action == QLatin1String("write"))
            return write(args, io);
        if (action == QLatin1String("read"))
            return read(args, io);
        io.err << "velmora2-cli: keyfile: unknown action \"" << action << "\" (write or read)\n";
        return ExitUsage;
    }

private:
    int write(QStringList &args, CliIo &io) const
    {
        std::optional<QString> key = takeKeyText(args, io);
        if (!key)
            return ExitUsage;
        const WipedOnExit keyWiped(*key);
        if (args.isEmpty()) {
            io.err << "velmora2-cli: keyfile write: the path of the key file is missing\n";
            return ExitUsage;
        }
        const QString path = args.takeFirst();
        for (const QString &fileName : args) {
            if (fileName.contains(QLatin1Char('/')) || fileName.contains(QLatin1Char('\\')) ||
                fileName.contains(QLatin1Char('\r')) || fileName.contains(QLatin1Char('\n'))) {
                io.err << "velmora2-cli: keyfile write: \"" << fileName
                       << "\" is not a bare file name\n";
                return ExitUsage;
            }
        }
        if (key->contains(QLatin1Char('\r')) || key->contains(QLatin1Char('\n'))) {
            io.err << "velmora2-cli: keyfile write: the key must be a single line\n";
            return ExitUsage;
        }
        // A stop signal lets the key file be written whole, or not at all.
        const StopSignals stops;
        const KeyFileWriteResult result =
            WriteKeyFile(path, QByteArray(ApplicationTextKey), QStringList{*key} + args);
        if (stops.stopRequested()) {
            io.err << "velmora2-cli: keyfile write: stopped by "
                   << StopSignals::nameOf(stops.kind()) << "; " << path
                   << (result.status == KeyFileWriteResult::Status::Written
                           ? " was written whole first\n"
                           : " was not written\n");
            return ExitFailed;
        }
        switch (result.status) {
        case KeyFileWriteResult::Status::Written:
            return ExitOk;
        case KeyFileWriteResult::Status::CharacterOutsideCodePage:
            io.err << "velmora2-cli: " << result.message(Language::English) << '\n';
            return ExitUsage;
        case KeyFileWriteResult::Status::FileNotWritten:
            io.err << "velmora2-cli: " << result.message(Language::English) << '\n';
            return ExitFailed;
        }
        return ExitFailed;
    }

    int read(QStringList &args, CliIo &io) const
    {
        if (args.size() != 1) {
            io.err << "velmora2-cli: keyfile read needs exactly one KEYFILE\n";
            return ExitUsage;
        }
        QString error;
        const std::optional<QStringList> lines =
            ReadKeyFile(args.first(), QByteArray(ApplicationTextKey), &error);
        if (!lines) {
            io.err << "velmora2-cli: cannot read the key file " << error << '\n';
            return ExitUsage;
        }
        for (const QString &line : *lines)
            io.out << line << '\n';
        return ExitOk;
    }
};

CliRegistration<CommandKeyfile> registration;

} // namespace
