#include "CliCommand.h"
#include "KeySource.h"
#include "filetexts/NameTexts.h"
#include "platform/CoreDumps.h"
#include "platform/NameBytes.h"
#include "platform/StandardInput.h"

#include <QCoreApplication>
#include <QStringConverter>

#include <cstdio>
#include <unistd.h>

namespace {

// The arguments reach the commands as text. A name whose bytes do not
// survive that would name another file (or none), so a run with such an
// argument, or in a folder whose name does not survive it (relative names
// are made absolute through its text), is refused before anything is done.
bool namesSurviveText(int argc, char *argv[], QTextStream &err)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        if (!NameBytes::survivesText(bytes)) {
            err << "velmora2-cli: " << NameTexts::notUtf8(bytes, Language::English) << '\n';
            return false;
        }
    }
    const QByteArray folder = NameBytes::currentFolder();
    if (!NameBytes::survivesText(folder)) {
        err << "velmora2-cli: " << NameTexts::currentFolderNotUtf8(folder, Language::English)
            << '\n';
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    CoreDumps::disableForThisProcess();
    QCoreApplication app(argc, argv);
    QTextStream in(stdin);
    QTextStream out(stdout);
    QTextStream err(stderr);
    for (QTextStream *stream : {&in, &out, &err})
        stream->setEncoding(QStringConverter::Utf8);
    if (!namesSurviveText(argc, argv, err)) {
        err.flush();
        return ExitUsage;
    }
    CliIo io{in, out, err, ::isatty(STDIN_FILENO) == 1, ::isatty(STDERR_FILENO) == 1, [] {
                 return StandardInput::readSecretLine(MaxKeyLineBytes);
             }};
    const int code = runCli(app.arguments().mid(1), io);
    out.flush();
    err.flush();
    return code;
}
