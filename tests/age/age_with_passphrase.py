#!/usr/bin/env python3
"""Runs the standard strong-format tool with a passphrase typed on a terminal.

The tool reads passphrases only from its terminal, so it runs here on a
pseudo-terminal and every passphrase prompt it shows is answered with the
given passphrase. Files go through its arguments (-o OUT, input path), never
through the terminal.

Usage: age_with_passphrase.py PASSPHRASE TOOL [ARGUMENTS...]
Exits with the tool's exit code; 124 when it does not finish in time.
"""
import os
import pty
import select
import sys
import time


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    passphrase = sys.argv[1].encode()
    command = sys.argv[2:]
    pid, fd = pty.fork()
    if pid == 0:
        os.execvp(command[0], command)
    shown = b""
    answered = 0
    deadline = time.monotonic() + float(os.environ.get("AGE_PTY_TIMEOUT", "600"))
    while True:
        if time.monotonic() > deadline:
            os.kill(pid, 9)
            os.waitpid(pid, 0)
            return 124
        ready, _, _ = select.select([fd], [], [], 0.5)
        if ready:
            try:
                data = os.read(fd, 4096)
            except OSError:
                data = b""
            if not data:
                break
            shown += data
            # Each prompt ends with "passphrase...:"; answer each one once.
            while shown.lower().count(b"passphrase") > answered:
                tail = shown.lower().split(b"passphrase")[answered + 1]
                if b":" not in tail:
                    break
                os.write(fd, passphrase + b"\n")
                answered += 1
    _, status = os.waitpid(pid, 0)
    sys.stderr.buffer.write(shown)
    return os.waitstatus_to_exitcode(status)


if __name__ == "__main__":
    sys.exit(main())
