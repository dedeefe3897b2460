#pragma once

#include "CliCommand.h"
#include "core/FileFormat.h"

#include <optional>

// "encrypt" and "decrypt": every FILE through the same job as the encrypt
// window's runs, without its questions; the original deleted only on success.
class CipherFileCommand : public CliCommand
{
public:
    int run(const QStringList &args, CliIo &io) override;

protected:
    // The part of the help that encrypt and decrypt share: what a stop
    // signal does, and the part files.
    static QString stopAndPartFileHelp();
    // What -r does with folders.
    static QString folderHelp();
    // The lines for --cross-file-systems in the list of options.
    static QString crossFileSystemsHelp();

    explicit CipherFileCommand(bool decrypting)
        : m_decrypting(decrypting)
    {
    }

private:
    // What one run's own options asked for.
    struct RunOptions
    {
        std::optional<FileFormat> format; // --format (encrypt)
        bool force = false;               // --force (decrypt)
        bool shredOriginals = false;      // --shred-original (encrypt)
    };

    bool takeOptions(QStringList &args, RunOptions &options, CliIo &io) const;

    bool m_decrypting;
};
