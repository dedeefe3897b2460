// Files handed over to be decrypted, whatever they hold: how they are
// recognised, the strong format's header reader, its text-form (armor)
// reader, and the whole decryption with a passphrase.
#include "FuzzFile.h"

#include "age/AgeArmor.h"
#include "age/AgeFormat.h"
#include "age/AgeHeader.h"
#include "age/AgeRecognition.h"

#include <QBuffer>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

// Small enough that a header the fuzzer keeps intact costs little scrypt
// work; the public vectors use 10.
constexpr int maxWorkFactor = 10;

QBuffer *openBuffer(QBuffer &buffer, const QByteArray &bytes)
{
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return &buffer;
}

// A text form the reader accepted, as it would have been written: from the
// begin line to the end line, LF line ends.
QByteArray asWritten(const QByteArray &text)
{
    const qsizetype begin = text.indexOf(age::armorBeginLine);
    const qsizetype end = text.indexOf(age::armorEndLine, begin);
    if (begin < 0 || end < 0)
        return {};
    return text.sliced(begin, end + age::armorEndLine.size() - begin).replace("\r\n", "\n") + '\n';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const bool recognised =
        age::looksLikeAgeFile(bytes.first(std::min(bytes.size(), age::recognitionBytes)));

    // A header the reader takes is exactly the one a writer makes of it.
    {
        QBuffer in;
        age::ParsedHeader header;
        if (age::readHeader(*openBuffer(in, bytes), maxWorkFactor, header) ==
            age::HeaderStatus::Ok) {
            const QByteArray canonical = age::serialiseHeader(header.stanza, header.mac);
            fuzzCheck(bytes.startsWith(canonical) && header.size == canonical.size());
            fuzzCheck(header.macInput == age::headerMacInput(header.stanza));
            fuzzCheck(in.pos() == header.size);
            fuzzCheck(recognised);
        }
    }

    // A text form the reader takes is the canonical form of what it gives,
    // but for CR LF line ends and whitespace around it.
    {
        QBuffer in;
        age::ArmorReader reader(*openBuffer(in, bytes));
        const QByteArray binary = reader.readAll();
        if (reader.status() == age::ArmorReader::Status::Ended) {
            fuzzCheck(asWritten(bytes) == age::armored(binary));
            fuzzCheck(reader.consumed() == quint64(bytes.size()));
            fuzzCheck(age::startsArmored(bytes) && recognised);
        } else {
            fuzzCheck(reader.status() == age::ArmorReader::Status::Malformed);
        }
    }

    // The whole decryption: a success comes only from a file recognised as
    // this format, and nothing is released by a header that is refused.
    {
        QBuffer in;
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        const age::Result result =
            age::decrypt(*openBuffer(in, bytes), out, "password", {}, maxWorkFactor);
        fuzzCheck(result != age::Result::ReadFailed && result != age::Result::WriteFailed);
        if (result == age::Result::Ok)
            fuzzCheck(recognised);
        if (result != age::Result::Ok && result != age::Result::WrongKeyOrDamaged &&
            result != age::Result::Damaged)
            fuzzCheck(out.data().isEmpty());
    }
    return 0;
}
