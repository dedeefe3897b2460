#pragma once

#include "CliCommand.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// Runs velmora2-cli in-process with its streams bound to strings.
struct CliRun
{
    int code = -1;
    QString out;
    QString err;
};

inline CliRun runCliInProcess(const QStringList &args, const QString &input = QString(),
                              bool inIsTerminal = false, bool errIsTerminal = false)
{
    CliRun run;
    QString in = input;
    QTextStream inStream(&in);
    QTextStream outStream(&run.out);
    QTextStream errStream(&run.err);
    CliIo io{inStream, outStream, errStream, inIsTerminal, errIsTerminal};
    run.code = runCli(args, io);
    outStream.flush();
    errStream.flush();
    return run;
}
