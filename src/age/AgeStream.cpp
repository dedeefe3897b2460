#include "age/AgeStream.h"

#include <array>
#include <vector>

namespace age {

namespace {

class ChunkNonce
{
public:
    std::span<const unsigned char, aeadNonceSize> bytes() const { return m_bytes; }
    void markLast() { m_bytes[aeadNonceSize - 1] = 1; }

    // False once the 11-byte counter would wrap around.
    bool advance()
    {
        for (std::size_t at = aeadNonceSize - 1; at-- > 0;) {
            if (++m_bytes[at] != 0)
                return true;
        }
        return false;
    }

private:
    std::array<unsigned char, aeadNonceSize> m_bytes{};
};

void report(const Progress &progress, quint64 done)
{
    if (progress.bytesDone)
        progress.bytesDone(done);
}

bool writeAll(QIODevice &out, std::span<const unsigned char> bytes)
{
    return out.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size())) ==
           qint64(bytes.size());
}

// A buffer that is wiped when it is released.
struct WipedBuffer
{
    explicit WipedBuffer(qsizetype size)
        : bytes(std::size_t(size))
    {
    }
    ~WipedBuffer() { wipe(bytes); }
    WipedBuffer(const WipedBuffer &) = delete;
    WipedBuffer &operator=(const WipedBuffer &) = delete;

    char *chars() { return reinterpret_cast<char *>(bytes.data()); }
    std::vector<unsigned char> bytes;
};

} // namespace

bool cancelled(const Progress &progress)
{
    return progress.cancelled && progress.cancelled();
}

qint64 readFully(QIODevice &in, char *data, qint64 want)
{
    qint64 have = 0;
    while (have < want) {
        const qint64 got = in.read(data + have, want - have);
        if (got < 0)
            return -1;
        if (got == 0) {
            if (in.isSequential() && !in.atEnd() && in.waitForReadyRead(-1))
                continue;
            break;
        }
        have += got;
    }
    return have;
}

Result sealPayload(QIODevice &in, QIODevice &out, const Key &payloadKey, const Progress &progress,
                   quint64 done)
{
    ChaChaPoly aead;
    ChunkNonce nonce;
    // One byte beyond a chunk tells whether the chunk is the last one.
    WipedBuffer plain(chunkSize + 1);
    WipedBuffer sealed(sealedChunkSize);
    qsizetype have = 0;
    for (;;) {
        if (cancelled(progress))
            return Result::Cancelled;
        const qint64 got = readFully(in, plain.chars() + have, chunkSize + 1 - have);
        if (got < 0)
            return Result::ReadFailed;
        have += qsizetype(got);
        done += quint64(got);
        const bool last = have <= chunkSize;
        const std::size_t length = std::size_t(last ? have : chunkSize);
        if (last)
            nonce.markLast();
        const auto sealedChunk = std::span(sealed.bytes).first(length + tagSize);
        if (!aead.seal(payloadKey.span(), nonce.bytes(), std::span(plain.bytes).first(length),
                       sealedChunk))
            return Result::CryptoFailed;
        if (!writeAll(out, sealedChunk))
            return Result::WriteFailed;
        report(progress, done);
        if (last)
            return Result::Ok;
        plain.bytes[0] = plain.bytes[std::size_t(chunkSize)];
        have = 1;
        if (!nonce.advance())
            return Result::CryptoFailed;
    }
}

Result openPayload(QIODevice &in, QIODevice &out, const Key &payloadKey, const Progress &progress,
                   quint64 done)
{
    ChaChaPoly aead;
    ChunkNonce nonce;
    WipedBuffer sealed(sealedChunkSize + 1);
    WipedBuffer plain(chunkSize);
    qsizetype have = 0;
    for (bool first = true;; first = false) {
        if (cancelled(progress))
            return Result::Cancelled;
        const qint64 got = readFully(in, sealed.chars() + have, sealedChunkSize + 1 - have);
        if (got < 0)
            return Result::ReadFailed;
        have += qsizetype(got);
        done += quint64(got);
        // Only a chunk that the input ends with may be the last; one that is
        // followed by more bytes is opened as a middle chunk, so a last
        // chunk with anything after it fails to authenticate.
        const bool last = have <= sealedChunkSize;
        const std::size_t length = std::size_t(last ? have : sealedChunkSize);
        if (length < tagSize || (last && length == tagSize && !first))
            return Result::WrongKeyOrDamaged;
        if (last)
            nonce.markLast();
        const auto plainChunk = std::span(plain.bytes).first(length - tagSize);
        if (!aead.open(payloadKey.span(), nonce.bytes(), std::span(sealed.bytes).first(length),
                       plainChunk))
            return Result::WrongKeyOrDamaged;
        if (!writeAll(out, plainChunk))
            return Result::WriteFailed;
        report(progress, done);
        if (last)
            return Result::Ok;
        sealed.bytes[0] = sealed.bytes[std::size_t(sealedChunkSize)];
        have = 1;
        if (!nonce.advance())
            return Result::WrongKeyOrDamaged;
    }
}

} // namespace age
