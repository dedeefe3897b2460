#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <stdexcept>

class QIODevice;
class HashFunction;

// Raised by the ciphers: "Cipher not initialized", "Invalid key size",
// "Unable to allocate sufficient memory for hash digest".
class CipherError : public std::runtime_error
{
public:
    explicit CipherError(const char *message)
        : std::runtime_error(message)
    {
    }
};

// Raised by the hashes: "Hash not initialized".
class HashError : public std::runtime_error
{
public:
    explicit HashError(const char *message)
        : std::runtime_error(message)
    {
    }
};

// Raised by the stream operations when a device cannot be read or written;
// carries the device's own error text.
class EStreamError : public std::runtime_error
{
public:
    explicit EStreamError(const QString &message)
        : std::runtime_error(message.toStdString())
    {
    }
};

// A hash class passed as a value: creates a fresh instance for one key
// derivation (hashClass<Sha256>).
using HashFactory = std::unique_ptr<HashFunction> (*)();

template <typename Hash> std::unique_ptr<HashFunction> hashClass()
{
    return std::make_unique<Hash>();
}

// Abstract hash. Update and Final require Init; Final ends the digest.
class HashFunction
{
public:
    virtual ~HashFunction() = default;

    virtual int GetId() const = 0;
    virtual QString GetAlgorithm() const = 0;
    virtual int GetHashSize() const = 0; // bits
    virtual bool SelfTest() const = 0;

    virtual void Init() = 0;
    virtual void Final(void *Digest) = 0; // GetHashSize() / 8 bytes
    virtual void Burn() = 0;
    virtual void Update(const void *Buffer, quint32 Size) = 0;

    // Feeds the key text as the stored files expect it: the text laid out as
    // UTF-16LE, of which only the first length() bytes are hashed.
    void UpdateStr(const QString &Str);

protected:
    bool fInitialized = false;
};

// Abstract cipher. Keying a keyed cipher burns it first; Encrypt and Decrypt
// require a key.
class StreamCipher
{
public:
    static constexpr quint32 StreamChunkSize = 8192;

    virtual ~StreamCipher() = default;

    virtual int GetId() const = 0;
    virtual QString GetAlgorithm() const = 0;
    virtual int GetMaxKeySize() const = 0; // bits
    virtual bool SelfTest() const = 0;

    // Size in bits; must be a non-zero multiple of 4 and at most GetMaxKeySize().
    virtual void Init(const void *Key, quint32 Size, const void *InitVector);
    virtual void Burn();
    virtual void Reset() = 0;
    virtual void Encrypt(const void *InData, void *OutData, quint32 Size) = 0;
    virtual void Decrypt(const void *InData, void *OutData, quint32 Size) = 0;

    // Keys the cipher with the digest of the key text (see UpdateStr).
    void InitStr(const QString &Key, HashFactory HashType);

    // Combine Size bytes from the input's position into the output, one
    // Encrypt (Decrypt) call per 8192-byte chunk, so that the key stream
    // restarts at every chunk. Return the number of bytes read, which is less
    // than Size when the input ends early. Counts are 64-bit, so files of
    // 4 GiB and more are handled whole. Throws EStreamError on a device error.
    quint64 EncryptStream(QIODevice &InStream, QIODevice &OutStream, quint64 Size);
    quint64 DecryptStream(QIODevice &InStream, QIODevice &OutStream, quint64 Size);

    bool Initialized() const { return fInitialized; }

protected:
    bool fInitialized = false;

private:
    quint64 processStream(QIODevice &InStream, QIODevice &OutStream, quint64 Size, bool decrypt);
};
