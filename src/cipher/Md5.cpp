#include "cipher/Md5.h"

#include "platform/AnsiCodePage.h"

#include <cstring>

namespace {

// 0x80 followed by zeros: what Final appends before the bit count.
const std::array<quint8, 64> PADDING = [] {
    std::array<quint8, 64> pad{};
    pad[0] = 0x80;
    return pad;
}();

void Encode(quint8 *output, const quint32 *input, size_t words)
{
    for (size_t k = 0; k < words; ++k) {
        output[4 * k] = static_cast<quint8>(input[k]);
        output[4 * k + 1] = static_cast<quint8>(input[k] >> 8);
        output[4 * k + 2] = static_cast<quint8>(input[k] >> 16);
        output[4 * k + 3] = static_cast<quint8>(input[k] >> 24);
    }
}

void Decode(quint32 *output, const quint8 *input, size_t words)
{
    for (size_t k = 0; k < words; ++k) {
        output[k] = static_cast<quint32>(input[4 * k]) |
                    static_cast<quint32>(input[4 * k + 1]) << 8 |
                    static_cast<quint32>(input[4 * k + 2]) << 16 |
                    static_cast<quint32>(input[4 * k + 3]) << 24;
    }
}

constexpr quint32 rotateLeft(quint32 x, int n)
{
    return (x << n) | (x >> (32 - n));
}

constexpr quint32 F(quint32 x, quint32 y, quint32 z)
{
    return (x & y) | (~x & z);
}
constexpr quint32 G(quint32 x, quint32 y, quint32 z)
{
    return (x & z) | (y & ~z);
}
constexpr quint32 H(quint32 x, quint32 y, quint32 z)
{
    return x ^ y ^ z;
}
constexpr quint32 I(quint32 x, quint32 y, quint32 z)
{
    return y ^ (x | ~z);
}

template <quint32 (*Fn)(quint32, quint32, quint32)>
void step(quint32 &a, quint32 b, quint32 c, quint32 d, quint32 x, int s, quint32 ac)
{
    a = b + rotateLeft(a + Fn(b, c, d) + x + ac, s);
}

QString hexDigits(const MD5Digest &digest, int from, int to)
{
    static const char digits[] = "0123456789ABCDEF";
    QString text;
    for (int k = from; k < to; ++k) {
        text += QLatin1Char(digits[digest[k] >> 4]);
        text += QLatin1Char(digits[digest[k] & 0x0F]);
    }
    return text;
}

} // namespace

Md5::Md5()
{
    Init();
}

Md5::~Md5()
{
    FContextState.fill(0xFFFFFFFF);
    FContextBuffer.fill(0xFF);
}

void Md5::Init()
{
    FContextCount = {0, 0};
    FContextState = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    FContextBuffer.fill(0);
}

void Md5::Update(const void *Input, quint32 Len)
{
    const auto *input = static_cast<const quint8 *>(Input);
    quint32 index = (FContextCount[0] >> 3) & 0x3F;
    const quint32 lowBefore = FContextCount[0];
    FContextCount[0] += Len << 3;
    if (FContextCount[0] < lowBefore)
        ++FContextCount[1];
    FContextCount[1] += Len >> 29;

    const quint32 partLen = 64 - index;
    quint32 i = 0;
    if (Len >= partLen) {
        std::memcpy(FContextBuffer.data() + index, input, partLen);
        Transform(FContextBuffer.data(), 0);
        for (i = partLen; i + 63 < Len; i += 64)
            Transform(input, i);
        index = 0;
    }
    if (Len > i)
        std::memcpy(FContextBuffer.data() + index, input + i, Len - i);
}

void Md5::Update(const QString &Input)
{
    const QByteArray bytes = Input.toUtf8();
    if (!bytes.isEmpty())
        Update(bytes.constData(), static_cast<quint32>(bytes.size()));
}

MD5Digest Md5::Final()
{
    quint8 bits[8];
    Encode(bits, FContextCount.data(), 2);
    const quint32 index = (FContextCount[0] >> 3) & 0x3F;
    const quint32 padLen = index < 56 ? 56 - index : 120 - index;
    Update(PADDING.data(), padLen);
    Update(bits, 8);
    MD5Digest digest;
    Encode(digest.data(), FContextState.data(), 4);
    return digest;
}

QString Md5::AsString()
{
    return hexDigits(Final(), 0, 16);
}

QString Md5::AsGUID()
{
    const MD5Digest digest = Final();
    return QLatin1Char('{') + hexDigits(digest, 0, 4) + QLatin1Char('-') + hexDigits(digest, 4, 6) +
           QLatin1Char('-') + hexDigits(digest, 6, 8) + QLatin1Char('-') +
           hexDigits(digest, 8, 10) + QLatin1Char('-') + hexDigits(digest, 10, 16) +
           QLatin1Char('}');
}

void Md5::Transform(const quint8 *Buffer, quint32 Offset)
{
    quint32 a = FContextState[0];
    quint32 b = FContextState[1];
    quint32 c = FContextState[2];
    quint32 d = FContextState[3];
    quint32 x[16];
    Decode(x, Buffer + Offset, 16);

    step<F>(a, b, c, d, x[0], 7, 0xd76aa478);
    step<F>(d, a, b, c, x[1], 12, 0xe8c7b756);
    step<F>(c, d, a, b, x[2], 17, 0x242070db);
    step<F>(b, c, d, a, x[3], 22, 0xc1bdceee);
    step<F>(a, b, c, d, x[4], 7, 0xf57c0faf);
    step<F>(d, a, b, c, x[5], 12, 0x4787c62a);
    step<F>(c, d, a, b, x[6], 17, 0xa8304613);
    step<F>(b, c, d, a, x[7], 22, 0xfd469501);
    step<F>(a, b, c, d, x[8], 7, 0x698098d8);
    step<F>(d, a, b, c, x[9], 12, 0x8b44f7af);
    step<F>(c, d, a, b, x[10], 17, 0xffff5bb1);
    step<F>(b, c, d, a, x[11], 22, 0x895cd7be);
    step<F>(a, b, c, d, x[12], 7, 0x6b901122);
    step<F>(d, a, b, c, x[13], 12, 0xfd987193);
    step<F>(c, d, a, b, x[14], 17, 0xa679438e);
    step<F>(b, c, d, a, x[15], 22, 0x49b40821);

    step<G>(a, b, c, d, x[1], 5, 0xf61e2562);
    step<G>(d, a, b, c, x[6], 9, 0xc040b340);
    step<G>(c, d, a, b, x[11], 14, 0x265e5a51);
    step<G>(b, c, d, a, x[0], 20, 0xe9b6c7aa);
    step<G>(a, b, c, d, x[5], 5, 0xd62f105d);
    step<G>(d, a, b, c, x[10], 9, 0x02441453);
    step<G>(c, d, a, b, x[15], 14, 0xd8a1e681);
    step<G>(b, c, d, a, x[4], 20, 0xe7d3fbc8);
    step<G>(a, b, c, d, x[9], 5, 0x21e1cde6);
    step<G>(d, a, b, c, x[14], 9, 0xc33707d6);
    step<G>(c, d, a, b, x[3], 14, 0xf4d50d87);
    step<G>(b, c, d, a, x[8], 20, 0x455a14ed);
    step<G>(a, b, c, d, x[13], 5, 0xa9e3e905);
    step<G>(d, a, b, c, x[2], 9, 0xfcefa3f8);
    step<G>(c, d, a, b, x[7], 14, 0x676f02d9);
    step<G>(b, c, d, a, x[12], 20, 0x8d2a4c8a);

    step<H>(a, b, c, d, x[5], 4, 0xfffa3942);
    step<H>(d, a, b, c, x[8], 11, 0x8771f681);
    step<H>(c, d, a, b, x[11], 16, 0x6d9d6122);
    step<H>(b, c, d, a, x[14], 23, 0xfde5380c);
    step<H>(a, b, c, d, x[1], 4, 0xa4beea44);
    step<H>(d, a, b, c, x[4], 11, 0x4bdecfa9);
    step<H>(c, d, a, b, x[7], 16, 0xf6bb4b60);
    step<H>(b, c, d, a, x[10], 23, 0xbebfbc70);
    step<H>(a, b, c, d, x[13], 4, 0x289b7ec6);
    step<H>(d, a, b, c, x[0], 11, 0xeaa127fa);
    step<H>(c, d, a, b, x[3], 16, 0xd4ef3085);
    step<H>(b, c, d, a, x[6], 23, 0x04881d05);
    step<H>(a, b, c, d, x[9], 4, 0xd9d4d039);
    step<H>(d, a, b, c, x[12], 11, 0xe6db99e5);
    step<H>(c, d, a, b, x[15], 16, 0x1fa27cf8);
    step<H>(b, c, d, a, x[2], 23, 0xc4ac5665);

    step<I>(a, b, c, d, x[0], 6, 0xf4292244);
    step<I>(d, a, b, c, x[7], 10, 0x432aff97);
    step<I>(c, d, a, b, x[14], 15, 0xab9423a7);
    step<I>(b, c, d, a, x[5], 21, 0xfc93a039);
    step<I>(a, b, c, d, x[12], 6, 0x655b59c3);
    step<I>(d, a, b, c, x[3], 10, 0x8f0ccc92);
    step<I>(c, d, a, b, x[10], 15, 0xffeff47d);
    step<I>(b, c, d, a, x[1], 21, 0x85845dd1);
    step<I>(a, b, c, d, x[8], 6, 0x6fa87e4f);
    step<I>(d, a, b, c, x[15], 10, 0xfe2ce6e0);
    step<I>(c, d, a, b, x[6], 15, 0xa3014314);
    step<I>(b, c, d, a, x[13], 21, 0x4e0811a1);
    step<I>(a, b, c, d, x[4], 6, 0xf7537e82);
    step<I>(d, a, b, c, x[11], 10, 0xbd3af235);
    step<I>(c, d, a, b, x[2], 15, 0x2ad7d2bb);
    step<I>(b, c, d, a, x[9], 21, 0xeb86d391);

    FContextState[0] += a;
    FContextState[1] += b;
    FContextState[2] += c;
    FContextState[3] += d;
    std::memset(x, 0, sizeof x);
}

Md5Ref NewMD5()
{
    return std::make_shared<Md5>();
}

QString MD5OfText(const QString &Text)
{
    Md5Ref md5 = NewMD5();
    md5->Init();
    QByteArray bytes = AnsiCodePage::fromUnicode(Text);
    md5->Update(bytes.constData(), static_cast<quint32>(bytes.size()));
    bytes.fill(char(0xFF));
    return md5->AsString().toLower();
}
