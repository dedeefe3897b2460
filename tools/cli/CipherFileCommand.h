#pragma once

#include "CliCommand.h"
#include "cipher/FileFormat.h"

// "encrypt" and "decrypt": every FILE through the same job as the encrypt
// window's runs, without its questions; the original deleted only on success.
class CipherFileCommand : public CliCommand
{
public:
    int run(const QStringList &args, CliIo &io) override;

protected:
    explicit CipherFileCommand(bool decrypting)
        : m_decrypting(decrypting)
    {
    }

private:
    bool takeOptions(QStringList &args, CliIo &io);

    bool m_decrypting;
    FileFormat m_format = FileFormat::Compatible;
    bool m_force = false;
};
