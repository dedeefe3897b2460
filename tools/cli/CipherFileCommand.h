#pragma once

#include "CliCommand.h"

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
    bool m_decrypting;
};
