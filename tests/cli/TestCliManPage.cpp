#include "CliCommand.h"
#include "CliTestRun.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

const QString ManPagePath = QStringLiteral(VELMORA_SOURCE_DIR "/tools/cli/velmora2-cli.1.in");

// The manual page's source with roff's minus signs and font changes turned
// into plain text.
QString manPageText()
{
    QFile file(ManPagePath);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QStringLiteral("\\-"), QStringLiteral("-"));
    static const QRegularExpression fontChange(QStringLiteral("\\\\f[BIRP]"));
    text.remove(fontChange);
    return text;
}

// The text under each ".SS" heading, keyed by the heading's first word. A
// command may have several headings ("keyfile write", "keyfile read").
QMap<QString, QString> commandSections(const QString &page)
{
    QMap<QString, QString> sections;
    QString current;
    for (const QString &line : page.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String(".SS "))) {
            QString title = line.mid(4).trimmed();
            title.remove(QLatin1Char('"'));
            current = title.section(QLatin1Char(' '), 0, 0);
        } else if (line.startsWith(QLatin1String(".SH "))) {
            current.clear();
            continue;
        }
        if (!current.isEmpty())
            sections[current] += line + QLatin1Char('\n');
    }
    return sections;
}

// The text of one ".SH" section.
QString manSection(const QString &page, const QString &name)
{
    const qsizetype start = page.indexOf(QStringLiteral(".SH ") + name);
    if (start < 0)
        return QString();
    const qsizetype end = page.indexOf(QLatin1String("\n.SH "), start + 1);
    return page.mid(start, end < 0 ? -1 : end - start);
}

// Every option named in a text: "--key-file" of "--key-file=KEYFILE", "-y";
// not the hyphens inside words ("UTF-8", "copy-on-write", "velmora2-cli").
QSet<QString> optionsIn(const QString &text)
{
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])(--?[a-z][a-z-]*)"));
    QSet<QString> options;
    for (const QRegularExpressionMatch &match : option.globalMatch(text))
        options.insert(match.captured(1));
    return options;
}

QStringList sorted(const QSet<QString> &set)
{
    QStringList list(set.begin(), set.end());
    list.sort();
    return list;
}

} // namespace

// The manual page and the program's own help name the same commands, the
// same options of each command and the same exit codes.
class TestCliManPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY2(!manPageText().isEmpty(), qPrintable(ManPagePath)); }

    void everyCommandHasASection()
    {
        QSet<QString> commands{QStringLiteral("help")};
        for (const CliCommand *command : CliRegistry::all())
            commands.insert(command->name());
        const QStringList sectioned = commandSections(manPageText()).keys();
        QCOMPARE(sorted(QSet<QString>(sectioned.begin(), sectioned.end())), sorted(commands));

        // The overview that "help" prints lists the same commands.
        const CliRun overview = runCliInProcess({QStringLiteral("help")});
        QCOMPARE(overview.code, 0);
        for (const QString &name : commands) {
            if (name != QLatin1String("help"))
                QVERIFY2(overview.out.contains(QStringLiteral("\n  ") + name + QLatin1Char(' ')),
                         qPrintable(name));
        }
    }

    void optionsMatchTheHelp_data()
    {
        QTest::addColumn<QString>("command");
        for (const CliCommand *command : CliRegistry::all())
            QTest::newRow(qPrintable(command->name())) << command->name();
    }

    void optionsMatchTheHelp()
    {
        QFETCH(QString, command);
        const CliRun help = runCliInProcess({QStringLiteral("help"), command});
        QCOMPARE(help.code, 0);
        const CliRun dashHelp = runCliInProcess({command, QStringLiteral("--help")});
        QCOMPARE(dashHelp.out, help.out);

        const QString section = commandSections(manPageText()).value(command);
        QVERIFY(!section.isEmpty());
        QCOMPARE(sorted(optionsIn(section)), sorted(optionsIn(help.out)));
    }

    void helpOptionsAreAccepted()
    {
        const QSet<QString> named = optionsIn(commandSections(manPageText()).value("help"));
        QVERIFY(named.contains(QStringLiteral("--help")));
        const CliRun overview = runCliInProcess({QStringLiteral("help")});
        for (const QString &option : named) {
            const CliRun run = runCliInProcess({option});
            QCOMPARE(run.code, 0);
            QCOMPARE(run.out, overview.out);
            QCOMPARE(runCliInProcess({QStringLiteral("md5"), option}).code, 0);
        }
    }

    void exitCodesMatchTheOverview()
    {
        const CliRun overview = runCliInProcess({QStringLiteral("help")});
        static const QRegularExpression overviewCode(QStringLiteral("(\\d) [a-z]"));
        const QString overviewLine =
            overview.out.section(QStringLiteral("Exit codes:"), 1).section(QLatin1Char('\n'), 0, 0);
        QStringList fromHelp;
        for (const QRegularExpressionMatch &match : overviewCode.globalMatch(overviewLine))
            fromHelp << match.captured(1);

        static const QRegularExpression manCode(QStringLiteral("\\n\\.TP\\n\\.B (\\d+)\\n"));
        QStringList fromManPage;
        for (const QRegularExpressionMatch &match :
             manCode.globalMatch(manSection(manPageText(), QStringLiteral("EXIT STATUS"))))
            fromManPage << match.captured(1);

        QCOMPARE(fromHelp, (QStringList{"0", "1", "2"}));
        QCOMPARE(fromManPage, fromHelp);
    }
};

QTEST_GUILESS_MAIN(TestCliManPage)
#include "TestCliManPage.moc"
