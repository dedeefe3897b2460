// Encrypts or decrypts one file with the strong format, for timing:
//   bench_age encrypt|decrypt IN OUT [WORK_FACTOR]   the streams alone
//   bench_age encrypt-file|decrypt-file PATH         in place, as a run does it
//                                                    (PATH -> PATH.enc -> PATH)
// The passphrase comes from the environment variable BENCH_PASSPHRASE.
#include "age/AgeFormat.h"
#include "filecipher/AgeFileCipher.h"

#include <QByteArray>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int inPlace(const char *mode, const char *path, const char *passphrase)
{
    const QString file = QString::fromLocal8Bit(path);
    const QString key = QString::fromUtf8(passphrase);
    const FileWorkOutcome outcome = std::strcmp(mode, "encrypt-file") == 0
                                        ? AgeFileCipher::encryptFile(file, key)
                                        : AgeFileCipher::decryptFile(file, key);
    if (!outcome.ok) {
        std::fprintf(stderr, "bench_age: failed (%d): %s\n", int(outcome.failure),
                     qPrintable(outcome.reason));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const char *passphrase = std::getenv("BENCH_PASSPHRASE");
    if (argc == 3 && passphrase &&
        (std::strcmp(argv[1], "encrypt-file") == 0 || std::strcmp(argv[1], "decrypt-file") == 0))
        return inPlace(argv[1], argv[2], passphrase);
    if (argc < 4 ||
        (std::strcmp(argv[1], "encrypt") != 0 && std::strcmp(argv[1], "decrypt") != 0)) {
        std::fprintf(stderr, "usage: bench_age encrypt|decrypt IN OUT [WORK_FACTOR]\n"
                             "       bench_age encrypt-file|decrypt-file PATH\n");
        return 2;
    }
    if (!passphrase) {
        std::fprintf(stderr, "bench_age: set BENCH_PASSPHRASE\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[2]));
    QFile out(QString::fromLocal8Bit(argv[3]));
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "bench_age: cannot open the files\n");
        return 1;
    }
    const QByteArray key(passphrase);
    const age::Result result =
        std::strcmp(argv[1], "encrypt") == 0
            ? age::encrypt(in, out, key, {}, argc > 4 ? std::atoi(argv[4]) : age::defaultWorkFactor)
            : age::decrypt(in, out, key);
    if (result != age::Result::Ok || !out.flush()) {
        std::fprintf(stderr, "bench_age: failed (%d)\n", int(result));
        return 1;
    }
    return 0;
}
