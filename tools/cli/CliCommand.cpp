#include "CliCommand.h"

#include <algorithm>

namespace {

std::vector<std::unique_ptr<CliCommand>> &commands()
{
    static std::vector<std::unique_ptr<CliCommand>> list;
    return list;
}

void printOverview(QTextStream &stream)
{
    stream << "Usage: velmora2-cli COMMAND [OPTIONS] [ARGS...]\n\n"
              "Encrypts, decrypts and destroys files with the same engine as the\n"
              "Velmora2 desktop program.\n\nCommands:\n";
    for (const CliCommand *command : CliRegistry::all())
        stream << "  " << command->name().leftJustified(10) << ' ' << command->summary() << '\n';
    stream << "\n\"velmora2-cli help COMMAND\" or \"velmora2-cli COMMAND --help\" tells more.\n"
              "Exit codes: 0 success, 1 a file failed, 2 usage error or bad input.\n";
}

} // namespace

QStringList optionWords(const QStringList &args)
{
    const qsizetype end = args.indexOf(QStringLiteral("--"));
    return end < 0 ? args : args.first(end);
}

void CliRegistry::add(std::unique_ptr<CliCommand> command)
{
    commands().push_back(std::move(command));
}

CliCommand *CliRegistry::find(const QString &name)
{
    for (const auto &command : commands()) {
        if (command->name() == name)
            return command.get();
    }
    return nullptr;
}

std::vector<CliCommand *> CliRegistry::all()
{
    std::vector<CliCommand *> list;
    for (const auto &command : commands())
        list.push_back(command.get());
    std::sort(list.begin(), list.end(),
              [](const CliCommand *a, const CliCommand *b) { return a->name() < b->name(); });
    return list;
}

int runCli(const QStringList &args, CliIo &io)
{
    if (args.isEmpty()) {
        printOverview(io.err);
        return ExitUsage;
    }
    const QString &first = args.first();
    if (first == QStringLiteral("--help") || first == QStringLiteral("-h")) {
        printOverview(io.out);
        return ExitOk;
    }
    if (first == QStringLiteral("help")) {
        if (args.size() == 1) {
            printOverview(io.out);
            return ExitOk;
        }
        if (const CliCommand *command = CliRegistry::find(args.at(1))) {
            io.out << command->usage();
            return ExitOk;
        }
        io.err << "velmora2-cli: unknown command \"" << args.at(1) << "\"\n";
        return ExitUsage;
    }
    CliCommand *command = CliRegistry::find(first);
    if (command == nullptr) {
        io.err << "velmora2-cli: unknown command \"" << first << "\"\n\n";
        printOverview(io.err);
        return ExitUsage;
    }
    const QStringList rest = args.mid(1);
    // After "--" every word is a file: a file named "-h" is worked on, not
    // taken as a request for help.
    const QStringList options = optionWords(rest);
    if (options.contains(QStringLiteral("--help")) || options.contains(QStringLiteral("-h"))) {
        io.out << command->usage();
        return ExitOk;
    }
    return command->run(rest, io);
}
