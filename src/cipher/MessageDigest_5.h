#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <memory>

using ArrayOfLWord = std::array<quint32, 4>;
using MD5Digest = std::array<quint8, 16>;

// An MD5 digest object (RFC 1321), shared by reference: it lives as long as
// an IMD5Ref to it exists. Final pads and does not reset, so one object
// serves one digest.
class IMD5
{
public:
    virtual ~IMD5() = default;
    virtual void Init() = 0;
    virtual void Update(const void *Input, quint32 Len) = 0;
    virtual void Update(const QString &Input) = 0; // its UTF-8 bytes
    virtual MD5Digest Final() = 0;
    virtual QString AsString() = 0; // 32 upper-case hex digits
    virtual QString AsGUID() = 0;   // {8-4-4-4-12}, bytes in digest order
};

using IMD5Ref = std::shared_ptr<IMD5>;

class TMD5 : public IMD5
{
public:
    TMD5();
    ~TMD5() override;
    TMD5(const TMD5 &) = delete;
    TMD5 &operator=(const TMD5 &) = delete;

    void Init() override;
    void Update(const void *Input, quint32 Len) override;
    void Update(const QString &Input) override;
    MD5Digest Final() override;
    QString AsString() override;
    QString AsGUID() override;

private:
    void Transform(const quint8 *Buffer, quint32 Offset);

    ArrayOfLWord FContextState{};
    std::array<quint32, 2> FContextCount{}; // bits hashed, low word first
    std::array<quint8, 64> FContextBuffer{};
};

// A fresh digest object, already initialised.
IMD5Ref NewMD5();

// The stored form of a password: MD5 of the text's single-byte code-page
// bytes as 32 lower-case hex digits.
QString MD5OfText(const QString &Text);
