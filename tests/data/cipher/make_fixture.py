#!/usr/bin/env python3
"""Writes the encrypted-file fixture with code that shares nothing with the
program: Python's hashlib and the short RC4 below.

  fixture.key       the key text, UTF-8, no line end
  fixture.bin       the plain bytes (20000, so that two chunk restarts occur)
  fixture.bin.enc   plain XOR RC4(SHA-256 key) XOR RC4(SHA-1 key)

The key text is reduced as the stored files require: the text as UTF-16LE,
of which only the first len(text) bytes are hashed. Each key stream restarts
at i = j = 0 every 8192 bytes, on the permutation the previous chunk left.
Run it from this folder to write the files again.
"""
import hashlib

KEY = "\u03a9mega-Schl\u00fcssel 42"
CHUNK = 8192


def key_bytes(text):
    utf16 = text.encode("utf-16-le")
    return utf16[: len(text)]


def rc4_layer(key, data):
    s = list(range(256))
    j = 0
    for i in range(256):
        j = (j + s[i] + key[i % len(key)]) % 256
        s[i], s[j] = s[j], s[i]
    out = bytearray()
    for start in range(0, len(data), CHUNK):
        i = j = 0
        for byte in data[start : start + CHUNK]:
            i = (i + 1) % 256
            j = (j + s[i]) % 256
            s[i], s[j] = s[j], s[i]
            out.append(byte ^ s[(s[i] + s[j]) % 256])
    return bytes(out)


def plain_bytes(size):
    out = bytearray()
    counter = 0
    while len(out) < size:
        out += hashlib.sha256(b"fixture %d" % counter).digest()
        counter += 1
    return bytes(out[:size])


def main():
    plain = plain_bytes(20000)
    reduced = key_bytes(KEY)
    inner = rc4_layer(hashlib.sha256(reduced).digest(), plain)
    encrypted = rc4_layer(hashlib.sha1(reduced).digest(), inner)
    with open("fixture.key", "wb") as f:
        f.write(KEY.encode("utf-8"))
    with open("fixture.bin", "wb") as f:
        f.write(plain)
    with open("fixture.bin.enc", "wb") as f:
        f.write(encrypted)


if __name__ == "__main__":
    main()
