#include "CliCommand.h"

#include "platform/FileAttributes.h"
#include "platform/Prompter.h"
#include "shred/DeleteListedFiles.h"
#include "shred/OverwriteCount.h"
#include "shred/SecureDeleteHost.h"

#include <QDir>
#include <QRegularExpression>

namespace {

const char *const Prefix = "velmora2-cli shred: ";

// The run's question on the terminal: on standard error, answered by a line
// on standard input, or answered yes at once with --yes.
class TerminalPrompter : public Prompter
{
public:
    TerminalPrompter(CliIo &io, bool assumeYes)
        : m_io(io)
        , m_assumeYes(assumeYes)
    {
    }

    MessageAnswer ask(const Message &message) override
    {
        // The run's notices are left out: the command checks the count and the
        // files itself, and its own lines name each refused file and the
        // counts, which the run's closing notice would only repeat.
        if (message.buttons == MessageButtons::Ok)
            return MessageAnswer::Ok;
        if (message.buttons != MessageButtons::YesNo)
            return MessageAnswer::Cancel;
        if (m_assumeYes)
            return MessageAnswer::Yes;
        m_io.err << message.text << " [y/N] ";
        m_io.err.flush();
        const QString answer = m_io.in.readLine().trimmed().toLower();
        static const QStringList yes{QStringLiteral("y"), QStringLiteral("yes"),
                                     QStringLiteral("j"), QStringLiteral("ja")};
        return yes.contains(answer) ? MessageAnswer::Yes : MessageAnswer::No;
    }

private:
    CliIo &m_io;
    bool m_assumeYes;
};

// The batch run's window, made of the command line: the files as entries
// (each a path of its own, so the folder is empty), the count as the field.
class CommandLineHost : public SecureDeleteHost
{
public:
    CommandLineHost(CliIo &io, const QStringList &paths, int count, bool assumeYes)
        : m_io(io)
        , m_entries(paths)
        , m_countText(QString::number(count))
        , m_prompter(io, assumeYes)
    {
    }

    int entryCount() const override { return static_cast<int>(m_entries.size()); }
    QString entry(int index) const override { return m_entries.at(index); }
    void setEntry(int index, const QString &text) override { m_entries[index] = text; }
    void CompactList() override {}
    QString folderText() const override { return QString(); }
    QString overwriteCountText() const override { return m_countText; }
    void setOverwriteCountText(const QString &text) override { m_countText = text; }
    void ShowProgress(int) override {}
    void setResultText(const QString &) override {}
    Prompter &prompter() override { return m_prompter; }
    int language() const override { return 1; }
    bool takeCancelRequest() override { return false; }
    void processPendingEvents() override {}

    void fileFinished(int, const QString &path, const ShredReport &report) override
    {
        if (report.outcome == ShredOutcome::Refused)
            m_io.err << Prefix << path << ": " << report.reason << '\n';
        else if (report.outcome == ShredOutcome::RemovedLink)
            m_io.err << Prefix << path
                     << ": removed the link only; the file it points to was not overwritten\n";
        m_io.err.flush();
    }

private:
    CliIo &m_io;
    QStringList m_entries;
    QString m_countText;
    TerminalPrompter m_prompter;
};

class CommandShred : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("shred"); }
    QString summary() const override
    {
        return QStringLiteral("overwrite files with 0x3E/0xC1 passes, then delete them");
    }
    QString usage() const override
    {
        return QStringLiteral(
            "Usage: velmora2-cli shred [--count N] [--yes] [--] FILE...\n\n"
            "Overwrites each file 2 x N times over its whole length, alternating the\n"
            "bytes 0x3E and 0xC1 (the last pass writes 0xC1), forces every pass to the\n"
            "disk and then deletes the file. An empty file is deleted at once; a link\n"
            "is deleted as a link and what it points to is left alone. Folders and\n"
            "special files are refused, and so is a file that another program holds\n"
            "locked (flock or a POSIX record lock): it stays as it was.\n\n"
            "  --count N   overwrite count, 1 to 10 (default 2); other values are\n"
            "              brought into that range\n"
            "  --yes, -y   do not ask; needed when standard input is not a terminal\n\n"
            "Without --yes the command asks \"N file(s) selected. Really delete these\n"
            "file(s)?\" and goes on only for y or yes.\n\n"
            "Prints how many files were deleted and how many were refused.\n"
            "Exit codes: 0 all deleted (or the question answered no), 1 a file was\n"
            "refused or not found, 2 usage error or no terminal to ask on.\n\n"
            "Overwriting cannot reach old copies that copy-on-write or journaling file\n"
            "systems, SSD wear levelling, snapshots, backups or network shares keep.\n");
    }

    int run(const QStringList &args, CliIo &io) override
    {
        int count = OverwriteCount::Default;
        bool assumeYes = false;
        QStringList files;
        bool optionsEnded = false;
        for (qsizetype i = 0; i < args.size(); ++i) {
            const QString &arg = args.at(i);
            if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg == QStringLiteral("-")) {
                files.append(arg);
            } else if (arg == QStringLiteral("--")) {
                optionsEnded = true;
            } else if (arg == QStringLiteral("--yes") || arg == QStringLiteral("-y")) {
                assumeYes = true;
            } else if (arg == QStringLiteral("--count") ||
                       arg.startsWith(QStringLiteral("--count="))) {
                QString value;
                if (arg.contains(QLatin1Char('='))) {
                    value = arg.section(QLatin1Char('='), 1);
                } else if (i + 1 < args.size()) {
                    value = args.at(++i);
                } else {
                    io.err << Prefix << "--count needs a number\n";
                    return ExitUsage;
                }
                static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+$"));
                bool ok = decimal.match(value).hasMatch();
                const int parsed = ok ? value.toInt(&ok, 10) : 0;
                if (!ok) {
                    io.err << Prefix << "--count needs a whole number, not \"" << value << "\"\n";
                    return ExitUsage;
                }
                count = OverwriteCount::clamped(parsed);
                if (count != parsed)
                    io.err << Prefix << "overwrite count " << parsed
                           << " is outside 1 to 10; using " << count << '\n';
            } else {
                io.err << Prefix << "unknown option \"" << arg << "\"\n";
                return ExitUsage;
            }
        }
        if (files.isEmpty()) {
            io.err << Prefix << "no files given\n\n" << usage();
            return ExitUsage;
        }
        if (!assumeYes && !io.inIsTerminal) {
            io.err << Prefix
                   << "not deleting anything: there is no terminal to ask for confirmation on; "
                      "add --yes to confirm on the command line\n";
            return ExitUsage;
        }

        int refused = 0;
        QStringList entries;
        for (const QString &file : files) {
            if (file.isEmpty() || !FileAttributes::query(file).exists()) {
                io.err << Prefix << file << ": no such file\n";
                ++refused;
                continue;
            }
            // A relative path gets "./" so that no entry is ever blank, which
            // the run would take for one already done.
            entries.append(QDir::isRelativePath(file) ? QStringLiteral("./") + file : file);
        }

        int deleted = 0;
        if (!entries.isEmpty()) {
            io.err.flush();
            CommandLineHost host(io, entries, count, assumeYes);
            const DeleteRunResult result = DeleteListedFiles(host);
            if (!result.confirmed) {
                io.err << Prefix << "nothing deleted\n";
                return refused > 0 ? ExitFailed : ExitOk;
            }
            deleted = result.done;
            refused += result.failed();
        }
        io.out << deleted << " file(s) deleted, " << refused << " file(s) refused\n";
        return refused > 0 ? ExitFailed : ExitOk;
    }
};

CliRegistration<CommandShred> registration;

} // namespace
