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
        const QString help = QStringLiteral(
            "Usage: velmora2-cli decrypt [--key-stdin | --key-file KEYFILE] [--force]\n"
            "                            [-r [--cross-file-systems]] [--] FILE.enc...\n\n"
            "Decrypts every FILE.enc into FILE and deletes FILE.enc once FILE is complete\n"
            "on the disk. An existing FILE is replaced. Names that do not end in \".enc\"\n"
            "are refused. Either format is read, whichever each file has. A file in the\n"
            "strong format (age) with a wrong key or damaged is refused and kept. The\n"
            "legacy format cannot tell a wrong key by itself: when the result does not\n"
            "look like what its name promises (a .pdf that is no PDF, a .txt, .csv or\n"
            "other text file that is no text), the key does not seem to fit, and\n"
            "FILE.enc is kept unless --force is given.\n\n"
            "  --key-stdin          read the key text as one line of UTF-8 from standard\n"
            "                       input; an empty line is refused\n"
            "  --key-file KEYFILE   use line 1 of the key file KEYFILE (also written\n"
            "                       --key-file=KEYFILE); an empty line 1 is the default\n"
            "                       key, with a warning\n"
            "  --force              keep the result even when the key does not seem to fit\n"
            "  -r, --recursive      also take folders: every file in them whose name ends\n"
            "                       in \".enc\" is decrypted in place\n"
            "%3"
            "  --                   every argument after it is a FILE.enc\n\n"
            "Without a key option the personal key from the settings file in the data\n"
            "folder ($XDG_CONFIG_HOME/velmora/velmora.ini, else ~/.config/velmora/) is\n"
            "used. There is no option that takes the key on the command line, where\n"
            "other users could read it in the process list.\n\n"
            "%1"
            "%2"
            "Exit codes: 0 every file decrypted, 1 a file failed or the run was stopped,\n"
            "2 usage error.\n");
        return help.arg(folderHelp(), stopAndPartFileHelp(), crossFileSystemsHelp());
    }
};

CliRegistration<CommandDecrypt> registration;

} // namespace
