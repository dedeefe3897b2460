#include "CliCommand.h"

#include "cipher/Md5.h"

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
            "password is stored. Characters outside the code page count as \"?\".\n");
    }

    int run(const QStringList &args, CliIo &io) override
    {
        if (!args.isEmpty()) {
            io.err << "velmora2-cli: md5 takes no arguments\n" << usage();
            return ExitUsage;
        }
        QString line = io.in.readLine();
        if (line.isNull()) {
            io.err << "velmora2-cli: no text on standard input\n";
            return ExitUsage;
        }
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        io.out << MD5OfText(line) << '\n';
        return ExitOk;
    }
};

CliRegistration<CommandMd5> registration;

} // namespace
