#include "CipherFileCommand.h"

namespace {

class CommandDecrypt : public CipherFileCommand
{
public:
    CommandDecrypt()
        : CipherFileCommand(true)
    {
    }

    QString name() const override { return QStringLiteral("decrypt"); }
    QString summary() const override
    {
        return QStringLiteral("decrypt files in place (a.enc -> a)");
    }
    QString usage() const override
    {
        return QStringLiteral(
            "Usage: velmora2-cli decrypt [--key-stdin] FILE.enc...\n\n"
            "Decrypts every FILE.enc into FILE and deletes FILE.enc once FILE is complete\n"
            "on the disk. An existing FILE is replaced. Names that do not end in \".enc\"\n"
            "are refused. A wrong key is not detected: it gives other bytes.\n\n"
            "  --key-stdin  read the key text as one line of UTF-8 from standard input\n\n"
            "Exit codes: 0 every file decrypted, 1 a file failed, 2 usage error.\n");
    }
};

CliRegistration<CommandDecrypt> registration;

} // namespace
