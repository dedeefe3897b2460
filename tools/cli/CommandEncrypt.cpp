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
        const QString help = QStringLiteral(
            "Usage: velmora2-cli encrypt [--key-stdin | --key-file KEYFILE]\n"
            "                            [--format FORMAT] [--shred-original]\n"
            "                            [-r [--cross-file-systems]] [--] FILE...\n\n"
            "Encrypts every FILE into FILE.enc and deletes FILE once FILE.enc is complete\n"
            "on the disk. An existing FILE.enc is replaced. A file that fails is left as\n"
            "it was.\n\n"
            "  --key-stdin          read the key text as one line of UTF-8 from standard\n"
            "                       input; an empty line is refused\n"
            "  --key-file KEYFILE   use line 1 of the key file KEYFILE (also written\n"
            "                       --key-file=KEYFILE); an empty line 1 is the default\n"
            "                       key, with a warning\n"
            "  --format FORMAT      the format of FILE.enc (also written --format=FORMAT):\n"
            "                       legacy (or compatible), of the same length as FILE and\n"
            "                       read by every installation; or age, the strong format,\n"
            "                       which tells a wrong key and any change to the file and\n"
            "                       opens with the age tool. Without it, the format chosen\n"
            "                       for new files in the settings; else legacy\n"
            "  --shred-original     once FILE.enc is complete on the disk and FILE proved\n"
            "                       unchanged, overwrite FILE with the passes of shred\n"
            "                       (count 2) before deleting it, instead of only\n"
            "                       deleting it; a FILE that cannot be overwritten in\n"
            "                       full is named with what is left of it, its FILE.enc\n"
            "                       stays, and the exit code is 1\n"
            "  -r, --recursive      also take folders: every file in them is encrypted in\n"
            "                       place, except those whose name ends in \".enc\"\n"
            "%3"
            "  --                   every argument after it is a FILE\n\n"
            "Without a key option the personal key from the settings file in the data\n"
            "folder ($XDG_CONFIG_HOME/velmora/velmora.ini, else ~/.config/velmora/) is\n"
            "used. There is no option that takes the key on the command line, where\n"
            "other users could read it in the process list.\n\n"
            "%1"
            "%2"
            "Overwriting cannot reach old copies that copy-on-write or journaling file\n"
            "systems, SSD wear levelling, snapshots, backups or network shares keep.\n\n"
            "Exit codes: 0 every file encrypted, 1 a file failed, an original could not\n"
            "be overwritten or the run was stopped, 2 usage error.\n");
        return help.arg(folderHelp(), stopAndPartFileHelp(), crossFileSystemsHelp());
    }
};

CliRegistration<CommandEncrypt> registration;

} // namespace
