#include "startup/CommandLine.h"

#include "platform/ProgramInfo.h"

#include <QDir>

namespace {

QString absolute(const QString &name, const QString &workingFolder)
{
    if (name.isEmpty() || QDir::isAbsolutePath(name))
        return name;
    // Joined as written: "..", "." and links are left for the system to
    // follow, so the path names the very file the user meant.
    QString folder = workingFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + name;
}

// The toolkit's own options, which it takes out of the arguments itself once
// the application object exists: left to it, with the value that follows
// those that take one ("-style fusion"; "-style=fusion" is one argument).
// It takes them with one dash or two.
enum class ToolkitOption { No, Alone, WithValue };

ToolkitOption toolkitOption(const QString &argument)
{
    static const QStringList withValue{
        QStringLiteral("platform"),      QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"), QStringLiteral("plugin"),
        QStringLiteral("qmljsdebugger"), QStringLiteral("qwindowgeometry"),
        QStringLiteral("qwindowicon"),   QStringLiteral("qwindowtitle"),
        QStringLiteral("session"),       QStringLiteral("display"),
        QStringLiteral("geometry"),      QStringLiteral("style"),
        QStringLiteral("stylesheet"),    QStringLiteral("name"),
        QStringLiteral("title"),         QStringLiteral("visual")};
    static const QStringList alone{QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                                   QStringLiteral("nograb"), QStringLiteral("dograb"),
                                   QStringLiteral("sync")};
    QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
    if (alone.contains(name))
        return ToolkitOption::Alone;
    const qsizetype equals = name.indexOf(QLatin1Char('='));
    if (equals > 0)
        return withValue.contains(name.left(equals)) ? ToolkitOption::Alone : ToolkitOption::No;
    return withValue.contains(name) ? ToolkitOption::WithValue : ToolkitOption::No;
}

CommandLine refused(const QString &option, Language language)
{
    CommandLine line;
    line.outcome = CommandLine::Outcome::Refused;
    line.text = textFor(language, "velmora2: unbekannte Option \"%1\"\nHilfe: velmora2 --help\n",
                        "velmora2: unknown option \"%1\"\nTry: velmora2 --help\n")
                    .arg(option);
    return line;
}

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments, const QString &workingFolder,
                               Language language)
{
    CommandLine line;
    bool optionsEnded = false;
    bool toolkitValueNext = false;
    for (const QString &argument : arguments) {
        if (toolkitValueNext) {
            toolkitValueNext = false;
            continue;
        }
        // A lone "-" is a name, as everywhere.
        if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            if (argument == QLatin1String("--")) {
                optionsEnded = true;
            } else if (argument == QLatin1String("--shred")) {
                line.request.tool = ToolRequest::Tool::SecureDelete;
            } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
                CommandLine help;
                help.outcome = Outcome::Help;
                help.text = helpText(language);
                return help;
            } else if (argument == QLatin1String("--version")) {
                CommandLine version;
                version.outcome = Outcome::Version;
                version.text =
                    QStringLiteral("velmora2 ") + ProgramInfo::version() + QLatin1Char('\n');
                return version;
            } else if (const ToolkitOption toolkit = toolkitOption(argument);
                       toolkit != ToolkitOption::No) {
                toolkitValueNext = toolkit == ToolkitOption::WithValue;
            } else {
                return refused(argument, language);
            }
            continue;
        }
        if (workingFolder.isEmpty() && !argument.isEmpty() && !QDir::isAbsolutePath(argument)) {
            // Without its working folder a relative name cannot be told
            // apart from the same name elsewhere.
            CommandLine noFolder;
            noFolder.outcome = Outcome::Refused;
            noFolder.text = textFor(language,
                                    "velmora2: der Arbeitsordner ist nicht lesbar; bitte \"%1\" "
                                    "mit vollständigem Pfad angeben\n",
                                    "velmora2: the working folder cannot be read; please give "
                                    "\"%1\" with its full path\n")
                                .arg(argument);
            return noFolder;
        }
        line.request.files << absolute(argument, workingFolder);
    }
    if (line.request.tool == ToolRequest::Tool::Dashboard && !line.request.files.isEmpty())
        line.request.tool = ToolRequest::Tool::Encrypt;
    return line;
}

QString CommandLine::helpText(Language language)
{
    return textFor(
        language,
        "Aufruf: velmora2 [DATEI...]\n"
        "        velmora2 --shred [DATEI...]\n"
        "Verschlüsselt, entschlüsselt und löscht Dateien sicher.\n"
        "\n"
        "  DATEI...          das Fenster \"Dateien verschlüsseln\" mit diesen Dateien öffnen\n"
        "  --shred DATEI...  das Fenster \"Sicheres Löschen\" mit diesen Dateien öffnen\n"
        "  --help            diese Hilfe zeigen\n"
        "  --version         die Version zeigen\n"
        "  --                alles Weitere sind Dateinamen\n"
        "\n"
        "Läuft Velmora2 schon, übergibt ein neuer Aufruf seine Dateien dem laufenden\n"
        "Programm. Ohne Argumente holt er dessen Hauptfenster nach vorn.\n",
        "Usage: velmora2 [FILE...]\n"
        "       velmora2 --shred [FILE...]\n"
        "Encrypts, decrypts and securely deletes files.\n"
        "\n"
        "  FILE...          open the \"Encrypt files\" window with these files listed\n"
        "  --shred FILE...  open the \"Secure Delete\" window with these files listed\n"
        "  --help           show this help\n"
        "  --version        show the version\n"
        "  --               everything after it is a file name\n"
        "\n"
        "While Velmora2 runs, a new start hands its files to the running program;\n"
        "without arguments it brings the running program's main window forward.\n");
}
