#include "platform/ProgramInfo.h"
#include "startup/CommandLine.h"

#include <QTest>

Q_DECLARE_METATYPE(CommandLine::Outcome)
Q_DECLARE_METATYPE(ToolRequest::Tool)
Q_DECLARE_METATYPE(Language)

namespace {

const QString Work = QStringLiteral("/home/user/work");

QString inWork(const char *name)
{
    return Work + QLatin1Char('/') + QString::fromUtf8(name);
}

} // namespace

// The desktop program's arguments: which window, which files (made absolute
// against the working folder and otherwise as named), and the texts for
// help, version and what is refused.
class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
};

void TestCommandLine::parse_data()
{
    using Outcome = CommandLine::Outcome;
    using Tool = ToolRequest::Tool;
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("workingFolder");
    QTest::addColumn<Language>("language");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<Tool>("tool");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("text"); // the whole text, or a part of it ending in "..."

    const Language en = Language::English;
    const Language de = Language::German;
    const QStringList none;

    QTest::newRow("no arguments: the dashboard")
        << none << Work << en << Outcome::Start << Tool::Dashboard << none << QString();
    QTest::newRow("a name: the encrypt window")
        << QStringList{"report.odt"} << Work << en << Outcome::Start << Tool::Encrypt
        << QStringList{inWork("report.odt")} << QString();
    QTest::newRow("the working folder with a trailing slash")
        << QStringList{"a.txt"} << Work + QLatin1Char('/') << en << Outcome::Start << Tool::Encrypt
        << QStringList{inWork("a.txt")} << QString();
    QTest::newRow("names kept as written, blanks, dots and all")
        << QStringList{"/tmp/my report.odt", "../x/./y.enc", "dir/"} << Work << en << Outcome::Start
        << Tool::Encrypt
        << QStringList{"/tmp/my report.odt", inWork("../x/./y.enc"), inWork("dir/")} << QString();
    QTest::newRow("--shred before the files")
        << QStringList{"--shred", "a", "/b"} << Work << en << Outcome::Start << Tool::SecureDelete
        << QStringList{inWork("a"), "/b"} << QString();
    QTest::newRow("--shred after the files")
        << QStringList{"a", "--shred"} << Work << en << Outcome::Start << Tool::SecureDelete
        << QStringList{inWork("a")} << QString();
    QTest::newRow("--shred alone: the empty window")
        << QStringList{"--shred"} << Work << en << Outcome::Start << Tool::SecureDelete << none
        << QString();
    QTest::newRow("after --, options are names")
        << QStringList{"--", "--shred", "-x", "--help"} << Work << en << Outcome::Start
        << Tool::Encrypt << QStringList{inWork("--shred"), inWork("-x"), inWork("--help")}
        << QString();
    QTest::newRow("a lone dash is a name")
        << QStringList{"-"} << Work << en << Outcome::Start << Tool::Encrypt
        << QStringList{inWork("-")} << QString();
    QTest::newRow("an empty name stays empty (the window refuses it)")
        << QStringList{""} << Work << en << Outcome::Start << Tool::Encrypt << QStringList{""}
        << QString();
    QTest::newRow("absolute names need no working folder")
        << QStringList{"/a"} << QString() << en << Outcome::Start << Tool::Encrypt
        << QStringList{"/a"} << QString();

    QTest::newRow("the toolkit's options and their values are left to it")
        << QStringList{"-platform", "offscreen",         "a", "--style", "fusion",
                       "-reverse",  "-stylesheet=x.qss", "b"}
        << Work << en << Outcome::Start << Tool::Encrypt << QStringList{inWork("a"), inWork("b")}
        << QString();
    QTest::newRow("a toolkit option's value that looks like an option")
        << QStringList{"-qwindowtitle", "--shred"} << Work << en << Outcome::Start
        << Tool::Dashboard << none << QString();
    QTest::newRow("a toolkit option's name with a value glued on that it does not take")
        << QStringList{"-reverse=1"} << Work << en << Outcome::Refused << Tool::Dashboard << none
        << "velmora2: unknown option \"-reverse=1\"...";

    QTest::newRow("unknown long option")
        << QStringList{"a", "--bogus"} << Work << en << Outcome::Refused << Tool::Dashboard << none
        << "velmora2: unknown option \"--bogus\"\nTry: velmora2 --help\n";
    QTest::newRow("unknown option, German")
        << QStringList{"--bogus"} << Work << de << Outcome::Refused << Tool::Dashboard << none
        << "velmora2: unbekannte Option \"--bogus\"\nHilfe: velmora2 --help\n";
    QTest::newRow("unknown short option")
        << QStringList{"-x", "a"} << Work << en << Outcome::Refused << Tool::Dashboard << none
        << "velmora2: unknown option \"-x\"...";
    QTest::newRow("--shred takes no value")
        << QStringList{"--shred=a"} << Work << en << Outcome::Refused << Tool::Dashboard << none
        << "velmora2: unknown option \"--shred=a\"...";
    QTest::newRow("the first problem ends the reading")
        << QStringList{"--bogus", "--help"} << Work << en << Outcome::Refused << Tool::Dashboard
        << none << "velmora2: unknown option \"--bogus\"...";
    QTest::newRow("a relative name without a working folder")
        << QStringList{"/a", "b"} << QString() << en << Outcome::Refused << Tool::Dashboard << none
        << "velmora2: the working folder cannot be read; please give \"b\" with its full path\n";
    QTest::newRow("a relative name without a working folder, German")
        << QStringList{"b"} << QString() << de << Outcome::Refused << Tool::Dashboard << none
        << "velmora2: der Arbeitsordner ist nicht lesbar; bitte \"b\" mit vollständigem Pfad "
           "angeben\n";

    QTest::newRow("--help, whatever else is named")
        << QStringList{"a", "--help", "--bogus"} << Work << en << Outcome::Help << Tool::Dashboard
        << none << "Usage: velmora2 [FILE...]\n       velmora2 --shred [FILE...]\n...";
    QTest::newRow("-h, German") << QStringList{"-h"} << Work << de << Outcome::Help
                                << Tool::Dashboard << none << "Aufruf: velmora2 [DATEI...]\n...";
    QTest::newRow("--version") << QStringList{"--version"} << Work << de << Outcome::Version
                               << Tool::Dashboard << none
                               << "velmora2 " + ProgramInfo::version() + "\n";
}

void TestCommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, workingFolder);
    QFETCH(Language, language);
    QFETCH(CommandLine::Outcome, outcome);
    QFETCH(ToolRequest::Tool, tool);
    QFETCH(QStringList, files);
    QFETCH(QString, text);

    const CommandLine line = CommandLine::parse(arguments, workingFolder, language);
    QCOMPARE(line.outcome, outcome);
    QCOMPARE(line.request.tool, tool);
    QCOMPARE(line.request.files, files);
    if (text.endsWith(QLatin1String("..."))) {
        text.chop(3);
        QVERIFY2(line.text.startsWith(text), qPrintable(line.text));
    } else {
        QCOMPARE(line.text, text);
    }
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "TestCommandLine.moc"
