#pragma once

#include <QByteArray>
#include <QtGlobal>

// The byte-wise Vigenère codec that scrambles stored texts (the settings file
// and key files). Byte i of a buffer is shifted by key byte i mod L; each call
// starts again at the key's first byte and nothing carries over between calls.
// It is not meant to resist analysis, only to keep the files from being read
// or edited by eye. An empty key or an empty buffer leaves the bytes as they
// are. Callers convert their text through AnsiCodePage before and after.

class TextCodec
{
public:
    TextCodec() = default;
    virtual ~TextCodec() = default;
    TextCodec(const TextCodec &) = default;
    TextCodec &operator=(const TextCodec &) = default;

    // Code Size bytes at Buf in place.
    virtual void Decode(const QByteArray &Key, char *Buf, quint32 Size) const = 0;
    virtual void Encode(const QByteArray &Key, char *Buf, quint32 Size) const = 0;

    // A coded copy of Value, exactly as long as Value; Value is not changed.
    QByteArray EncodeString(const QByteArray &Key, const QByteArray &Value) const;
    QByteArray DecodeString(const QByteArray &Key, const QByteArray &Value) const;

    // Stored values of the component; no operation of the program reads them.
    QByteArray Encoded() const { return FEncoded; }
    void setEncoded(const QByteArray &value) { FEncoded = value; }
    QByteArray Key() const { return FKey; }
    void setKey(const QByteArray &value) { FKey = value; }
    bool IsStored() const { return FIsStored; }
    void setIsStored(bool value) { FIsStored = value; }

private:
    QByteArray FEncoded;
    QByteArray FKey;
    bool FIsStored = true;
};

class VigenereCodec : public TextCodec
{
public:
    void Decode(const QByteArray &Key, char *Buf, quint32 Size) const override;
    void Encode(const QByteArray &Key, char *Buf, quint32 Size) const override;
};
