#include "CipherFileCommand.h"

#include "FolderArguments.h"
#include "KeySource.h"
#include "core/Prompter.h"
#include "jobs/EncryptJob.h"
#include "jobs/FolderRunTexts.h"
#include "platform/DataFolder.h"
#include "platform/SecretWipe.h"
#include "platform/StopSignals.h"
#include "settings/FormatChoice.h"

#include <QFileInfo>

namespace {

// Files below this size finish too quickly for a progress line to help.
constexpr quint64 ProgressThreshold = 64ull * 1024 * 1024;

// Prints every message and answers it the way that goes on with the file.
class CliPrompter : public Prompter
{
public:
    explicit CliPrompter(QTextStream &err)
        : m_err(err)
    {
    }

    MessageAnswer ask(const Message &message) override
    {
        m_err << "velmora2-cli: " << message.text << '\n';
        m_err.flush();
        return message.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }

private:
    QTextStream &m_err;
};

// Per-file lines on the error stream: the reason of each file that is
// skipped or fails, and for a large file on a terminal its progress.
class TerminalObserver : public FileJobObserver
{
public:
    TerminalObserver(const QStringList &names, CliIo &io)
        : m_names(names)
        , m_io(io)
    {
    }

    ~TerminalObserver() override { endProgressLine(); }

    int failures() const { return m_failures; }

    void fileStarted(int, const QString &path) override
    {
        m_currentPath = path;
        m_shownPercent = -1;
    }

    void bytesDone(quint64 done, quint64 total) override
    {
        if (!m_io.errIsTerminal || total < ProgressThreshold)
            return;
        const int percent = static_cast<int>(done * 100 / total);
        if (percent == m_shownPercent)
            return;
        m_shownPercent = percent;
        m_io.err << '\r' << QFileInfo(m_currentPath).fileName() << ": " << percent << '%';
        m_io.err.flush();
    }

    void fileDone(const FileReport &report) override
    {
        endProgressLine();
        if (report.outcome == FileOutcome::Done)
            return;
        // A file found in a folder goes by its own path, an entry by the
        // name it was given as.
        const QString name = report.inFolder ? report.path : m_names.value(report.index);
        QString reason = report.reason;
        if (report.outcome == FileOutcome::Skipped && report.inFolder) {
            // Skipped in a folder: listed, and the run goes on.
            reason = QStringLiteral("skipped: ") + reason;
        } else {
            ++m_failures;
        }
        if (report.outcome == FileOutcome::Cancelled)
            reason = report.path == m_currentPath
                         ? QStringLiteral("stopped; the file was left as it was")
                         : QStringLiteral("not started");
        m_io.err << "velmora2-cli: " << name << ": " << reason << '\n';
        m_io.err.flush();
    }

private:
    void endProgressLine()
    {
        if (m_shownPercent >= 0) {
            m_io.err << '\n';
            m_io.err.flush();
            m_shownPercent = -1;
        }
    }

    const QStringList &m_names;
    CliIo &m_io;
    QString m_currentPath;
    int m_shownPercent = -1;
    int m_failures = 0;
};

// The format's word after "--format": "age", "legacy" or "compatible".
std::optional<FileFormat> formatFromWord(const QString &word)
{
    if (word == QLatin1String("legacy"))
        return FileFormat::Compatible;
    FileFormat format = FileFormat::Compatible;
    if (FormatChoice::fromName(word, &format))
        return format;
    return std::nullopt;
}

} // namespace

QString CipherFileCommand::stopAndPartFileHelp()
{
    return QStringLiteral(
        "Ctrl+C, SIGTERM or SIGHUP stops the run: the file in work stays as it was\n"
        "and nothing of its result is left, the files after it are not started, and\n"
        "the exit code is 1; a second signal ends the command at once. While it is\n"
        "written, a result has no name where the file system allows it, else the\n"
        "hidden name .NAME.XXXXXX.velmora-part beside it. Such part files that an\n"
        "earlier run left when it was killed are overwritten once and removed, and\n"
        "the command says so.\n\n");
}

QString CipherFileCommand::folderHelp()
{
    return QStringLiteral(
        "A folder is refused without -r. With it, the folder is walked without\n"
        "following links and, unless --cross-file-systems is given, without leaving\n"
        "its file system, and its files are worked on where they are; the folders\n"
        "stay. Links, pipes, sockets, devices,\n"
        "files with further names (hard links), files another run holds and files\n"
        "whose result's name the folder holds already (a.txt beside a.txt.enc) are\n"
        "skipped, each named with the reason, and the run goes on; at the end a line\n"
        "on standard output counts the files done, skipped and failed. Skipped files\n"
        "do not change the exit code.\n\n");
}

QString CipherFileCommand::crossFileSystemsHelp()
{
    return FolderArguments::crossFileSystemsHelp(23);
}

// Takes "--format FORMAT" / "--format=FORMAT" and "--shred-original"
// (encrypt) and "--force" (decrypt) from the options before "--"; false
// after a usage error.
bool CipherFileCommand::takeOptions(QStringList &args, RunOptions &options, CliIo &io) const
{
    const QString formatOption = QStringLiteral("--format");
    for (qsizetype index = 0; index < args.size();) {
        const QString arg = args.at(index);
        if (arg == QLatin1String("--"))
            break;
        if (m_decrypting && arg == QLatin1String("--force")) {
            options.force = true;
            args.removeAt(index);
            continue;
        }
        if (!m_decrypting && arg == QLatin1String("--shred-original")) {
            options.shredOriginals = true;
            args.removeAt(index);
            continue;
        }
        if (!m_decrypting &&
            (arg == formatOption || arg.startsWith(formatOption + QLatin1Char('=')))) {
            QString word;
            if (arg == formatOption) {
                if (index + 1 >= args.size()) {
                    io.err << "velmora2-cli: --format needs a FORMAT\n" << usage();
                    return false;
                }
                word = args.at(index + 1);
                args.remove(index, 2);
            } else {
                word = arg.mid(formatOption.size() + 1);
                args.removeAt(index);
            }
            const std::optional<FileFormat> format = formatFromWord(word);
            if (!format) {
                io.err << "velmora2-cli: unknown format \"" << word
                       << "\" (age, legacy or compatible)\n";
                return false;
            }
            options.format = format;
            continue;
        }
        ++index;
    }
    return true;
}

int CipherFileCommand::run(const QStringList &arguments, CliIo &io)
{
    QStringList args = arguments;
    std::optional<QString> key = takeKeyText(args, io);
    if (!key)
        return ExitUsage;
    // Before the job, so that the job's copy is gone when it is wiped.
    const WipedOnExit keyWiped(*key);
    RunOptions options;
    if (!takeOptions(args, options, io))
        return ExitUsage;
    QString folderError;
    const std::optional<FolderArguments::FolderOptions> folders =
        FolderArguments::takeFolderOptions(args, &folderError);
    if (!folders) {
        io.err << "velmora2-cli: " << folderError << '\n' << usage();
        return ExitUsage;
    }
    const bool recursive = folders->recursive;
    for (const QString &option : optionWords(args)) {
        if (option.startsWith(QLatin1Char('-')) && option != QLatin1String("-")) {
            io.err << "velmora2-cli: unknown option \"" << option << "\"\n" << usage();
            return ExitUsage;
        }
    }
    args.removeOne(QStringLiteral("--"));
    if (args.isEmpty()) {
        io.err << "velmora2-cli: no file given\n" << usage();
        return ExitUsage;
    }

    // Without -r a folder is refused, as cp and rm do; the other files are
    // worked on.
    QStringList names;
    QStringList paths;
    int refused = 0;
    for (const QString &name : std::as_const(args)) {
        if (!recursive && FolderArguments::isFolder(name)) {
            io.err << "velmora2-cli: " << FolderArguments::folderRefusal(name) << '\n';
            ++refused;
            continue;
        }
        names.append(name);
        paths.append(QFileInfo(name).absoluteFilePath());
    }
    if (paths.isEmpty()) {
        io.err.flush();
        return ExitFailed;
    }
    EncryptJobOptions jobOptions;
    jobOptions.direction = m_decrypting ? CipherDirection::Decrypt : CipherDirection::Encrypt;
    // The files are taken as the command names them: no question first.
    jobOptions.markedEncrypted = m_decrypting;
    jobOptions.afterFailure = AfterFailure::GoOn;
    jobOptions.language = Language::English;
    // Without --format, the format chosen for new files in the settings.
    // Decrypting reads whichever format each file has.
    if (!m_decrypting && !options.format)
        options.format = FormatChoice::load(DataFolder::path());
    jobOptions.format = options.format.value_or(FileFormat::Compatible);
    jobOptions.unfitResult = options.force ? UnfitResult::Keep : UnfitResult::Refuse;
    jobOptions.takeFolders = recursive;
    jobOptions.crossFileSystems = folders->crossFileSystems;
    // Only when asked on the command line: the encrypt window's choice
    // stays the window's.
    jobOptions.overwriteOriginals = options.shredOriginals;
    // From here on Ctrl+C, SIGTERM and SIGHUP stop the run: the file in work
    // is abandoned (it stays as it was and nothing of its result is left),
    // the files after it are not started. A second signal of a kind ends the
    // process as usual.
    const StopSignals stops;
    jobOptions.stopNow = [&stops] { return stops.stopRequested(); };
    CliPrompter prompter(io.err);
    TerminalObserver observer(names, io);
    EncryptJob job(*key, paths, jobOptions, observer, prompter);
    const EncryptJobSummary summary = job.run();
    if (stops.stopRequested())
        io.err << "velmora2-cli: stopped by " << StopSignals::nameOf(stops.kind()) << '\n';
    io.err.flush();
    if (recursive) {
        io.out << FolderRunTexts::counts(Language::English,
                                         m_decrypting ? RunKind::Decrypt : RunKind::Encrypt,
                                         summary.done, static_cast<int>(summary.skipped.size()),
                                         observer.failures() + refused)
               << '\n';
    }
    // An original that could not be overwritten was named in the run's
    // message; the file is encrypted, but not everything asked for happened.
    const bool allDone = observer.failures() == 0 && refused == 0 &&
                         summary.originalsNotOverwritten.empty() && !stops.stopRequested();
    return allDone ? ExitOk : ExitFailed;
}
