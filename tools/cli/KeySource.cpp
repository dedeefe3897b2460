#include "KeySource.h"

std::optional<QString> takeKeyText(QStringList &args, CliIo &io)
{
    if (args.removeAll(QStringLiteral("--key-stdin")) > 0) {
        QString line = io.in.readLine();
        if (line.isNull()) {
            io.err << "velmora2-cli: no key text on standard input\n";
            return std::nullopt;
        }
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        return line;
    }
    io.err << "velmora2-cli: no key given (use --key-stdin)\n";
    return std::nullopt;
}
