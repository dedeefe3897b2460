#include "CliCommand.h"

namespace {

class CommandVersion : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("version"); }
    QString summary() const override { return QStringLiteral("print the program version"); }
    QString usage() const override
    {
        return QStringLiteral("Usage: velmora2-cli version\n\n"
                              "Prints the program version, four numbers joined by \".\".\n");
    }

    int run(const QStringList &args, CliIo &io) override
    {
        if (!args.isEmpty()) {
            io.err << "velmora2-cli: version takes no arguments\n" << usage();
            return ExitUsage;
        }
        io.out << VELMORA_VERSION_TEXT << '\n';
        return ExitOk;
    }
};

CliRegistration<CommandVersion> registration;

} // namespace
