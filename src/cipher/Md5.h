#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <memory>

using ArrayOfLWord = std::array<quint32, 4>;
using MD5Digest = std::array<quint8, 16>;

// An MD5 digest object (RFC 1321), shared by reference: it lives as long as
// an Md5Ref to it exists. Final pads and does not reset, so one object
// serves one digest.
class Md5Interface
{
public:
    virtual ~Md5Interface() = default;
    virtual void Init() = 0;
    virtual void Update(const void *Input, quint32 Len) = 0;
    virtual void Update(const QString &Input) = 0; // its UTF-8 bytes
    virtual MD5Digest Final() = 0;
    virtual QString AsString() = 0; // 32 upper-case hex digits
    virtual QString AsGUID() = 0;   // {8-4-4-4-12}, bytes in digest order
};

using Md5Ref = std::shared_ptr<Md5Interface>;

class Md5 : public Md5Interface
{
public:
    Md5();
    ~Md5() override;
    Md5(const Md5 &) = delete;
    Md5 &operator=(const Md5 &) = delete;

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
Md5Ref NewMD5();

// The stored form of a password: MD5 of the text's single-byte code-page
// bytes as 32 lower-case hex digits.
QString MD5OfText(const QString &Text);
