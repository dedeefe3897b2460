#include "age/AgeScrypt.h"

#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace age {

namespace {

// r = 8: a block is 2r = 16 Salsa20 blocks of 16 words, 1 KiB.
constexpr std::size_t salsaWords = 16;
constexpr std::size_t blockWords = 16 * salsaWords;
constexpr std::size_t blockBytes = blockWords * 4;
// Steps of the mixing between two questions whether to stop: about 4 MiB of
// memory work, a few milliseconds.
constexpr std::uint64_t stepsPerQuestion = 4096;
// The working memory is taken in pieces of 16 MiB as it fills, so that a
// derivation stopped early has taken, and gives back, only what it used.
constexpr std::uint64_t blocksPerPiece = 16384;

using Block = std::array<std::uint32_t, blockWords>;

void salsa20x8(std::uint32_t *b)
{
    std::array<std::uint32_t, salsaWords> x{};
    for (std::size_t i = 0; i < salsaWords; ++i)
        x[i] = b[i];
    const auto quarter = [&x](std::size_t a, std::size_t c, std::size_t d, std::size_t e) {
        x[c] ^= std::rotl(x[a] + x[e], 7);
        x[d] ^= std::rotl(x[c] + x[a], 9);
        x[e] ^= std::rotl(x[d] + x[c], 13);
        x[a] ^= std::rotl(x[e] + x[d], 18);
    };
    for (int round = 0; round < 8; round += 2) {
        // Columns, then rows.
        quarter(0, 4, 8, 12);
        quarter(5, 9, 13, 1);
        quarter(10, 14, 2, 6);
        quarter(15, 3, 7, 11);
        quarter(0, 1, 2, 3);
        quarter(5, 6, 7, 4);
        quarter(10, 11, 8, 9);
        quarter(15, 12, 13, 14);
    }
    for (std::size_t i = 0; i < salsaWords; ++i)
        b[i] += x[i];
}

// scrypt's BlockMix: out receives the mix of in (the two must differ).
void blockMix(const Block &in, Block &out)
{
    std::array<std::uint32_t, salsaWords> x{};
    for (std::size_t w = 0; w < salsaWords; ++w)
        x[w] = in[blockWords - salsaWords + w];
    for (std::size_t i = 0; i < 16; ++i) {
        for (std::size_t w = 0; w < salsaWords; ++w)
            x[w] ^= in[i * salsaWords + w];
        salsa20x8(x.data());
        // Even results to the first half, odd ones to the second.
        const std::size_t to = (i % 2 == 0 ? i / 2 : 8 + i / 2) * salsaWords;
        for (std::size_t w = 0; w < salsaWords; ++w)
            out[to + w] = x[w];
    }
}

std::uint64_t integerify(const Block &block)
{
    const std::size_t last = blockWords - salsaWords;
    return std::uint64_t(block[last]) | (std::uint64_t(block[last + 1]) << 32);
}

bool pbkdf2(QByteArrayView passphrase, const unsigned char *salt, std::size_t saltSize,
            unsigned char *out, std::size_t outSize)
{
    if (passphrase.size() > INT_MAX || saltSize > std::size_t(INT_MAX) ||
        outSize > std::size_t(INT_MAX))
        return false;
    const char *pass = passphrase.isEmpty() ? "" : passphrase.data();
    return PKCS5_PBKDF2_HMAC(pass, int(passphrase.size()), salt, int(saltSize), 1, EVP_sha256(),
                             int(outSize), out) == 1;
}

class Mixing
{
public:
    Mixing(std::uint64_t blocks, const std::function<bool()> &stop)
        : m_blocks(blocks)
        , m_stop(stop)
    {
    }
    ~Mixing()
    {
        for (std::size_t piece = 0; piece < m_pieces.size(); ++piece) {
            const std::uint64_t start = piece * blocksPerPiece;
            const std::uint64_t used = std::min(m_filled - start, blocksPerPiece);
            wipe(std::span(reinterpret_cast<unsigned char *>(m_pieces[piece].get()),
                           used * blockBytes));
        }
        wipe(std::span(reinterpret_cast<unsigned char *>(m_x.data()), blockBytes));
        wipe(std::span(reinterpret_cast<unsigned char *>(m_y.data()), blockBytes));
    }
    Mixing(const Mixing &) = delete;
    Mixing &operator=(const Mixing &) = delete;

    KdfOutcome run(std::span<unsigned char, blockBytes> bytes)
    {
        for (std::size_t w = 0; w < blockWords; ++w)
            m_x[w] = load(bytes.data() + 4 * w);

        for (std::uint64_t i = 0; i < m_blocks; ++i) {
            if (stopNow(i))
                return KdfOutcome::Cancelled;
            if (i % blocksPerPiece == 0 && !addPiece(std::min(blocksPerPiece, m_blocks - i)))
                return KdfOutcome::Failed;
            block(i) = m_x;
            m_filled = i + 1;
            blockMix(m_x, m_y);
            m_x.swap(m_y);
        }
        for (std::uint64_t i = 0; i < m_blocks; ++i) {
            if (stopNow(i))
                return KdfOutcome::Cancelled;
            const Block &v = block(integerify(m_x) & (m_blocks - 1));
            for (std::size_t w = 0; w < blockWords; ++w)
                m_x[w] ^= v[w];
            blockMix(m_x, m_y);
            m_x.swap(m_y);
        }

        for (std::size_t w = 0; w < blockWords; ++w)
            store(m_x[w], bytes.data() + 4 * w);
        return KdfOutcome::Done;
    }

private:
    static std::uint32_t load(const unsigned char *p)
    {
        return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
               (std::uint32_t(p[3]) << 24);
    }
    static void store(std::uint32_t word, unsigned char *p)
    {
        for (int k = 0; k < 4; ++k)
            p[k] = static_cast<unsigned char>(word >> (8 * k));
    }
    bool stopNow(std::uint64_t step) const
    {
        return m_stop && step % stepsPerQuestion == 0 && m_stop();
    }
    bool addPiece(std::uint64_t blocks)
    {
        // Left uninitialised: the system gives pages only once written.
        std::unique_ptr<Block[]> piece(new (std::nothrow) Block[blocks]);
        if (!piece)
            return false;
        m_pieces.push_back(std::move(piece));
        return true;
    }
    Block &block(std::uint64_t index)
    {
        return m_pieces[index / blocksPerPiece][index % blocksPerPiece];
    }

    const std::uint64_t m_blocks;
    const std::function<bool()> &m_stop;
    std::vector<std::unique_ptr<Block[]>> m_pieces;
    std::uint64_t m_filled = 0;
    Block m_x{};
    Block m_y{};
};

} // namespace

KdfOutcome scryptStoppable(QByteArrayView passphrase, QByteArrayView salt, int logN,
                           std::span<unsigned char, keySize> out, const std::function<bool()> &stop)
{
    wipe(out);
    // 2^logN blocks of 1 KiB must be addressable.
    if (logN < 1 || logN > 40 || (std::uint64_t(1) << logN) > SIZE_MAX / blockBytes)
        return KdfOutcome::Failed;

    SecretBytes<blockBytes> mixed;
    if (!pbkdf2(passphrase, reinterpret_cast<const unsigned char *>(salt.data()),
                std::size_t(salt.size()), mixed.data(), blockBytes))
        return KdfOutcome::Failed;
    {
        Mixing mixing(std::uint64_t(1) << logN, stop);
        const KdfOutcome outcome = mixing.run(mixed.span());
        if (outcome != KdfOutcome::Done)
            return outcome;
    }
    if (!pbkdf2(passphrase, mixed.data(), blockBytes, out.data(), out.size())) {
        wipe(out);
        return KdfOutcome::Failed;
    }
    return KdfOutcome::Done;
}

} // namespace age
