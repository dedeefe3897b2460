#include "CipherFileCommand.h"

namespace {

class CommandEncrypt : public CipherFileCommand
{
public:
    CommandEncrypt()
        : CipherFileCommand(false)
    {
    }

    QString name() const override { return QStringLiteral("encrypt"); }
    QString summary() const override
    {
        return QStringLiteral("encrypt files in place (a -> a.enc)");
    }
    QString usage() const override
    {
        return QStringLiteral(
            "Usage: velmora2-cli encrypt [--key-stdin] FILE...\n\n"
            "Encrypts every FILE into FILE.enc of the same length and deletes FILE once\n"
            "FILE.enc is complete on the disk. An existing FILE.enc is replaced. A file\n"
            "that fails is left as it was.\n\n"
            "  --key-stdin  read the key text as one line of UTF-8 from standard input\n\n"
            "There is no option that takes the key on the command line, where other\n"
            "users could read it in the process list.\n"
            "Exit codes: 0 every file encrypted, 1 a file failed, 2 usage error.\n");
    }
};

CliRegistration<CommandEncrypt> registration;

} // namespace
