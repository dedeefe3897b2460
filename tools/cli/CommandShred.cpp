#include "CliCommand.h"
#include "FolderArguments.h"

#include "core/Prompter.h"
#include "jobs/FolderRunTexts.h"
#include "jobs/ShredJob.h"
#include "platform/FileAttributes.h"
#include "platform/StopSignals.h"
#include "shred/OverwriteCount.h"

#include <QDir>
#include <QRegularExpression>

#include <optional>

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

// Tells the terminal about the run: one line per file that was not deleted,
// and for large files a line when the work on them starts (with the
// percentage on a terminal). Once the first file starts, Ctrl+C, SIGTERM and
// SIGHUP no longer end the process at once: they stop the run after the pass
// being written, so that the file is left in a known state.
class TerminalObserver : public FileJobObserver
{
public:
    static constexpr qint64 LargeFile = qint64(32) << 20;

    explicit TerminalObserver(CliIo &io)
        : m_io(io)
    {
    }

    void attach(ShredJob &job) { m_job = &job; }
    bool interrupted() const { return m_signals && m_signals->stopRequested(); }

    void fileStarted(int, const QString &path) override
    {
        if (!m_signals)
            m_signals.emplace();
        stopIfAsked();
        m_lastPercent = -1;
        const FileAttributes attributes = FileAttributes::query(path);
        m_large =
            attributes.kind == FileAttributes::Kind::RegularFile && attributes.size >= LargeFile;
        if (m_large) {
            m_io.err << Prefix << path << ": overwriting " << attributes.size << " bytes\n";
            m_io.err.flush();
        }
    }

    void bytesDone(quint64 done, quint64 total) override
    {
        stopIfAsked();
        if (!m_large || !m_io.errIsTerminal || total == 0)
            return;
        const int percent = static_cast<int>(done * 100 / total);
        if (percent == m_lastPercent)
            return;
        m_lastPercent = percent;
        m_io.err << '\r' << Prefix << percent << "% " << (percent == 100 ? "\n" : "");
        m_io.err.flush();
    }

    void fileDone(const FileReport &report) override
    {
        stopIfAsked();
        if (m_large && m_io.errIsTerminal && m_lastPercent >= 0 && m_lastPercent < 100)
            m_io.err << '\n';
        if (report.outcome == FileOutcome::Failed || report.outcome == FileOutcome::Cancelled)
            m_io.err << Prefix << report.path << ": " << report.reason << '\n';
        else if (report.outcome == FileOutcome::Skipped && report.inFolder)
            m_io.err << Prefix << report.path << ": skipped: " << report.reason << '\n';
        m_io.err.flush();
    }

private:
    void stopIfAsked()
    {
        if (m_job != nullptr && interrupted())
            m_job->cancel();
    }

    CliIo &m_io;
    ShredJob *m_job = nullptr;
    std::optional<StopSignals> m_signals;
    bool m_large = false;
    int m_lastPercent = -1;
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
                   "Usage: velmora2-cli shred [--count N] [--yes] [-r [--cross-file-systems]]\n"
                   "                          [--] FILE...\n\n"
                   "Overwrites each file 2 x N times over its whole length, alternating the\n"
                   "bytes 0x3E and 0xC1 (the last pass writes 0xC1), forces every pass to the\n"
                   "disk and then deletes the file. An empty file is deleted at once. Only\n"
                   "regular files are touched: symbolic links (never followed), folders,\n"
                   "pipes, sockets and devices are refused, and so is a file that another\n"
                   "program holds locked (flock or a POSIX record lock): it stays as it was.\n"
                   "When a file has further names (hard links), the question says so: its\n"
                   "data is lost under those names too. Only the file that was overwritten is\n"
                   "deleted, and only in full: a file that another program replaces, moves,\n"
                   "cuts short or keeps extending during the passes is kept and named (bytes\n"
                   "added at its end are overwritten too, a few times at most).\n\n"
                   "  --count N   overwrite count, 1 to 10 (default 2); other values are\n"
                   "              brought into that range\n"
                   "  --yes, -y   do not ask; needed when standard input is not a terminal\n"
                   "  -r, --recursive\n"
                   "              also take folders: every file in them is overwritten and\n"
                   "              deleted, then the folders that were emptied are removed\n"
                   "%1\n"
                   "A folder is refused without -r. With it, the folder is walked without\n"
                   "following links and, unless --cross-file-systems is given, without leaving\n"
                   "its file system; links, pipes, sockets, devices, files with further names\n"
                   "and files another run holds are skipped and named with the reason, and a\n"
                   "folder that still holds something stays (so does a link's target, always).\n"
                   "The question names the number of files, their total size and the folders;\n"
                   "at the end a line counts the files deleted, skipped and failed.\n\n"
                   "Without --yes the command asks \"N file(s) selected. Really delete these\n"
                   "file(s)?\" and goes on only for y or yes.\n\n"
                   "Prints how many files were deleted and how many were refused.\n"
                   "Ctrl+C, SIGTERM or SIGHUP stops the run once the pass being written has\n"
                   "reached the disk; the command names the file left partly overwritten, gives\n"
                   "a read-only file its mode back and exits with 1.\n"
                   "Exit codes: 0 all deleted (or the question answered no), 1 a file was\n"
                   "refused, skipped or not found, or the run was interrupted, 2 usage error\n"
                   "or no terminal to ask on.\n\n"
                   "Overwriting cannot reach old copies that copy-on-write or journaling file\n"
                   "systems, SSD wear levelling, snapshots, backups or network shares keep.\n")
            .arg(FolderArguments::crossFileSystemsHelp(14));
    }

    int run(const QStringList &arguments, CliIo &io) override
    {
        QStringList args = arguments;
        QString folderError;
        const std::optional<FolderArguments::FolderOptions> folders =
            FolderArguments::takeFolderOptions(args, &folderError);
        if (!folders) {
            io.err << Prefix << folderError << '\n';
            return ExitUsage;
        }
        const bool recursive = folders->recursive;
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
        QStringList paths;
        for (const QString &file : files) {
            if (file.isEmpty() || !FileAttributes::query(file).exists()) {
                io.err << Prefix << file << ": no such file\n";
                ++refused;
                continue;
            }
            if (!recursive && FolderArguments::isFolder(file)) {
                io.err << Prefix << FolderArguments::folderRefusal(file) << '\n';
                ++refused;
                continue;
            }
            // Absolute, without resolving links: the job refuses a link
            // itself rather than the file it points to.
            paths.append(QDir::current().absoluteFilePath(file));
        }

        int deleted = 0;
        int skipped = 0;
        bool interrupted = false;
        if (!paths.isEmpty()) {
            io.err.flush();
            TerminalPrompter prompter(io, assumeYes);
            TerminalObserver observer(io);
            ShredJob job(paths, count, Language::English, prompter, observer);
            job.setTakeFolders(recursive, folders->crossFileSystems);
            observer.attach(job);
            const ShredJobResult result = job.run();
            if (!result.confirmed) {
                io.err << Prefix << "nothing deleted\n";
                return refused > 0 ? ExitFailed : ExitOk;
            }
            deleted = result.done;
            refused += result.notDeleted();
            skipped = static_cast<int>(result.skipped.size());
            for (const QString &folder : result.foldersKept)
                io.err << Prefix << FolderRunTexts::folderKept(Language::English, folder) << '\n';
            interrupted = result.cancelled;
            if (interrupted) {
                const int left = result.total - result.done - result.notDeleted() -
                                 (result.partlyOverwritten.isEmpty() ? 0 : 1);
                io.err << Prefix << "interrupted";
                if (!result.partlyOverwritten.isEmpty())
                    io.err << "; " << result.partlyOverwritten << " is partly overwritten ("
                           << result.passesDone << " of " << result.passes
                           << " passes) and was not deleted";
                io.err << "; " << left << " file(s) not started\n";
            }
        }
        if (recursive)
            io.out << FolderRunTexts::counts(Language::English, RunKind::Shred, deleted, skipped,
                                             refused)
                   << '\n';
        else
            io.out << deleted << " file(s) deleted, " << refused << " file(s) refused\n";
        return refused > 0 || skipped > 0 || interrupted ? ExitFailed : ExitOk;
    }
};

CliRegistration<CommandShred> registration;

} // namespace
