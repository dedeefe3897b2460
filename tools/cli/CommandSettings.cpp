#include "CliCommand.h"
#include "KeySource.h"

#include "keys/ApplicationTextKey.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Shows the decoded lines of the settings file.
class CommandSettings : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("settings"); }
    QString summary() const override
    {
        return QStringLiteral("print the decoded lines of the settings file");
    }
    QString usage() const override
    {
        return QStringLiteral(
            "Usage: velmora2-cli settings [--file PATH]\n\n"
            "Prints each decoded line of the settings file as its number (from 0), a\n"
            "colon, a blank and the line, in UTF-8. Default file: velmora.ini in the\n"
            "data folder ($XDG_CONFIG_HOME/velmora/, else ~/.config/velmora/).\n"
            "Line 0 holds the password digest, line 2 the personal key, line 3 the\n"
            "language, line 4 the data path, line 9 the backup folder. The last line\n"
            "(two characters) is the decoded form of the file's final line break.\n");
    }

    int run(const QStringList &arguments, CliIo &io) override
    {
        QStringList args = arguments;
        QString path = defaultSettingsPath();
        const qsizetype at = args.indexOf(QStringLiteral("--file"));
        if (at >= 0) {
            if (at + 1 >= args.size()) {
                io.err << "velmora2-cli: --file needs a path\n";
                return ExitUsage;
            }
            path = args.at(at + 1);
            args.remove(at, 2);
        }
        if (!args.isEmpty()) {
            io.err << "velmora2-cli: settings: unexpected argument \"" << args.first() << "\"\n";
            return ExitUsage;
        }
        if (!QFileInfo::exists(path)) {
            io.err << "velmora2-cli: there is no settings file " << QDir::toNativeSeparators(path)
                   << '\n';
            return ExitUsage;
        }
        QString error;
        const std::optional<QStringList> lines =
            SettingsFile::readLines(path, QByteArray(ApplicationTextKey), &error);
        if (!lines) {
            io.err << "velmora2-cli: cannot read the settings file " << error << '\n';
            return ExitUsage;
        }
        for (qsizetype i = 0; i < lines->size(); ++i)
            io.out << i << ": " << lines->at(i) << '\n';
        return ExitOk;
    }
};

CliRegistration<CommandSettings> registration;

} // namespace
