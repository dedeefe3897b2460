#pragma once

#include "CliCommand.h"

// "encrypt" and "decrypt": every FILE through the same one-file operation as
// the encrypt window, the original deleted only on success.
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
