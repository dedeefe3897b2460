#pragma once

#include "platform/StandardInput.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <memory>
#include <vector>

// Exit codes of the command-line companion.
enum CliExit : int { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

// The streams a command talks through. The program binds them to the
// process's standard streams; tests bind them to strings.
struct CliIo
{
    QTextStream &in;
    QTextStream &out;
    QTextStream &err;
    bool inIsTerminal = false;
    bool errIsTerminal = false;
    // Reads a key line from standard input past every stream buffer, so that
    // no copy of the key is left behind in one (the program's own standard
    // input). Unset: the key line comes from `in`.
    std::function<StandardInput::SecretLine()> readSecretLine{};
};

// One subcommand ("encrypt", "shred", ...). Each registers itself with a
// CliRegistration object in its own source file.
class CliCommand
{
public:
    virtual ~CliCommand() = default;
    virtual QString name() const = 0;
    virtual QString summary() const = 0; // one line for the overview
    virtual QString usage() const = 0;   // full text for "velmora2-cli help NAME"
    virtual int run(const QStringList &args, CliIo &io) = 0;
};

class CliRegistry
{
public:
    static void add(std::unique_ptr<CliCommand> command);
    static CliCommand *find(const QString &name);
    static std::vector<CliCommand *> all(); // sorted by name
};

template <typename Command> struct CliRegistration
{
    CliRegistration() { CliRegistry::add(std::make_unique<Command>()); }
};

// The words before the first "--": only these may be options. Every word
// after "--" is a file, whatever it looks like ("-h", "--key-stdin").
QStringList optionWords(const QStringList &args);

// Runs the companion with its arguments (without the program name).
int runCli(const QStringList &args, CliIo &io);
