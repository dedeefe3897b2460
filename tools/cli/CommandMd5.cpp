#include "CliCommand.h"

#include "access/PasswordCheck.h"

namespace {

class CommandMd5 : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("md5"); }
    QString summary() const override
    {
        return QStringLiteral("print the stored digest form of a line from standard input");
    }
    QString usage() const override
    {
        return QStringLiteral(
            "Usage: velmora2-cli md5\n\n"
            "Reads one line of UTF-8 from standard input and prints the MD5 digest of its\n"
            "single-byte code-page form as 32 lower-case hex digits: the form in which a\n"
            "password is stored. Like the settings window, it first removes blanks and\n"
            "control characters at both ends of the line. Characters outside the code\n"
            "page count as \"?\".\n");
    }

    int run(const QStringList &args, CliIo &io) override
    {
        if (!args.isEmpty()) {
            io.err << "velmora2-cli: md5 takes no arguments\n" << usage();
            return ExitUsage;
        }
        const QString line = io.in.readLine();
        if (line.isNull()) {
            io.err << "velmora2-cli: no text on standard input\n";
            return ExitUsage;
        }
        io.out << PasswordCheck::storedForm(line) << '\n';
        return ExitOk;
    }
};

CliRegistration<CommandMd5> registration;

} // namespace
