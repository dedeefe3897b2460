#include "CliCommand.h"
#include "KeySource.h"
#include "platform/CoreDumps.h"
#include "platform/StandardInput.h"

#include <QCoreApplication>
#include <QStringConverter>

#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    CoreDumps::disableForThisProcess();
    QCoreApplication app(argc, argv);
    QTextStream in(stdin);
    QTextStream out(stdout);
    QTextStream err(stderr);
    for (QTextStream *stream : {&in, &out, &err})
        stream->setEncoding(QStringConverter::Utf8);
    CliIo io{in, out, err, ::isatty(STDIN_FILENO) == 1, ::isatty(STDERR_FILENO) == 1, [] {
                 return StandardInput::readSecretLine(MaxKeyLineBytes);
             }};
    const int code = runCli(app.arguments().mid(1), io);
    out.flush();
    err.flush();
    return code;
}
