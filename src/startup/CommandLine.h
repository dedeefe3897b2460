#pragma once

#include "core/Language.h"

#include <QString>
#include <QStringList>

// What one start of the desktop program asks for: the dashboard alone, or a
// tool window with files listed. A later start hands it to the program that
// runs already.
struct ToolRequest
{
    enum class Tool { Dashboard, Encrypt, SecureDelete };

    Tool tool = Tool::Dashboard;
    // Absolute paths, as named (made absolute against the starting process's
    // working folder, nothing else resolved), in the order named.
    QStringList files;

    bool operator==(const ToolRequest &other) const = default;
};

// The desktop program's arguments:
//   velmora2 [FILE...]            the encrypt/decrypt window with the files
//   velmora2 --shred [FILE...]    the secure delete window with the files
//   velmora2 --help | --version
// "--" ends the options; every argument after it is a file. The toolkit's
// own options ("-platform NAME", "-style NAME", "-reverse", ...) are passed
// over, with their values: the application object takes them itself.
struct CommandLine
{
    enum class Outcome {
        Start,   // start (or hand `request` to the running program)
        Help,    // print `text` on standard output, end with 0
        Version, // the same
        Refused, // print `text` on standard error, end with UsageExitCode
    };

    Outcome outcome = Outcome::Start;
    ToolRequest request;
    QString text;

    static constexpr int UsageExitCode = 2;

    // `arguments` without the program's own name; relative file names are
    // taken against `workingFolder` (refused when it is empty, that is
    // unknown). The texts are in `language`.
    static CommandLine parse(const QStringList &arguments, const QString &workingFolder,
                             Language language);

    static QString helpText(Language language);
};
