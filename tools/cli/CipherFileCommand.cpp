#include "CipherFileCommand.h"

#include "KeySource.h"
#include "cipher/EncryptRunHost.h"
#include "cipher/FilePipeline.h"
#include "platform/Prompter.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Files below this size finish too quickly for a progress line to help.
constexpr quint64 ProgressThreshold = 64ull * 1024 * 1024;
constexpr int English = 1;

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

// One file as a list of one entry in its own folder.
class CliFileHost : public EncryptRunHost
{
public:
    CliFileHost(const QString &key, const QFileInfo &file, CliIo &io)
        : m_key(key)
        , m_folder(QDir::toNativeSeparators(file.absolutePath() + QLatin1Char('/')))
        , m_entry(file.fileName())
        , m_io(io)
        , m_prompter(io.err)
    {
    }

    ~CliFileHost() override { endProgressLine(); }

    QString path() const { return m_folder + m_entry; }
    QString entryName() const { return m_entry; }

    QString keyText() const override { return m_key; }
    QString folderText() const override { return m_folder; }
    int entryCount() const override { return 1; }
    QString entry(int) const override { return m_entry; }
    void setEntry(int, const QString &name) override { m_entry = name; }
    bool encodedChecked() const override { return false; }
    void setEncodedChecked(bool) override {}
    void setResultText(const QString &) override {}
    void ShowProgress(int, int) override {}
    Prompter &prompter() override { return m_prompter; }
    int language() const override { return English; }
    void pause(int) override {}

    void fileWorkProgress(quint64 done, quint64 total) override
    {
        if (!m_io.errIsTerminal || total < ProgressThreshold)
            return;
        const int percent = static_cast<int>(done * 100 / total);
        if (percent == m_shownPercent)
            return;
        m_shownPercent = percent;
        m_io.err << '\r' << m_entry << ": " << percent << '%';
        m_io.err.flush();
    }

    void endProgressLine()
    {
        if (m_shownPercent >= 0) {
            m_io.err << '\n';
            m_io.err.flush();
            m_shownPercent = -1;
        }
    }

private:
    QString m_key;
    QString m_folder;
    QString m_entry;
    CliIo &m_io;
    CliPrompter m_prompter;
    int m_shownPercent = -1;
};

} // namespace

int CipherFileCommand::run(const QStringList &arguments, CliIo &io)
{
    QStringList args = arguments;
    const std::optional<QString> key = takeKeyText(args, io);
    if (!key)
        return ExitUsage;
    const qsizetype separator = args.indexOf(QStringLiteral("--"));
    const QStringList options = separator < 0 ? args : args.mid(0, separator);
    for (const QString &option : options) {
        if (option.startsWith(QLatin1Char('-')) && option != QLatin1String("-")) {
            io.err << "velmora2-cli: unknown option \"" << option << "\"\n" << usage();
            return ExitUsage;
        }
    }
    if (separator >= 0)
        args.removeAt(separator);
    if (args.isEmpty()) {
        io.err << "velmora2-cli: no file given\n" << usage();
        return ExitUsage;
    }

    int failed = 0;
    for (const QString &name : std::as_const(args)) {
        const QFileInfo file(name);
        if (!file.exists()) {
            io.err << "velmora2-cli: " << name << ": no such file\n";
            ++failed;
            continue;
        }
        if (file.isDir()) {
            io.err << "velmora2-cli: " << name << ": is a folder\n";
            ++failed;
            continue;
        }
        CliFileHost host(*key, file, io);
        FilePipeline pipeline(host);
        const bool ok = m_decrypting ? pipeline.DecryptListedFile(host.path(), 0)
                                     : pipeline.EncryptListedFile(host.path(), 0);
        host.endProgressLine();
        if (!ok) {
            io.err << "velmora2-cli: " << name << ": " << pipeline.lastOutcome().reason << '\n';
            ++failed;
        }
    }
    io.err.flush();
    return failed == 0 ? ExitOk : ExitFailed;
}
