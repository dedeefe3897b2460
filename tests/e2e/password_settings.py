#!/usr/bin/env python3
"""Writes a settings file that sets an application password.

Usage: password_settings.py FILE PASSWORD [LANGUAGE]

The file is written the way the program stores it: numbered lines, each
followed by CR LF, the whole text coded byte by byte with the application
text key (each byte raised by the key byte at its position, the key
repeating), then CR LF uncoded. Line 0 holds the MD5 digest of the trimmed
password in lower-case hex, line 2 a personal key, line 3 the language.
Only ASCII passwords are accepted, so that the code page does not matter.
"""
import hashlib
import sys

TEXT_KEY = b"oFuxnkwcazpgE"
PERSONAL_KEY = "e2eKeyAbcdefg%!+oKarnwyb"


def coded(plain: bytes) -> bytes:
    return bytes((byte + TEXT_KEY[i % len(TEXT_KEY)]) % 256 for i, byte in enumerate(plain))


def main() -> int:
    if len(sys.argv) not in (3, 4):
        print(__doc__, file=sys.stderr)
        return 2
    path, password = sys.argv[1], sys.argv[2]
    language = sys.argv[3] if len(sys.argv) == 4 else "1"
    password.encode("ascii")  # refuses anything outside ASCII
    digest = hashlib.md5(password.strip().encode("ascii")).hexdigest()
    lines = [digest, " ", PERSONAL_KEY, language, " ", " ", " ", " ", "false", " ", " "]
    plain = "".join(line + "\r\n" for line in lines).encode("ascii")
    with open(path, "wb") as settings:
        settings.write(coded(plain) + b"\r\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
