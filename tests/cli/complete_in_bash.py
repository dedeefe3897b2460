#!/usr/bin/env python3
"""Completes velmora2-cli command lines in a real interactive bash.

Starts bash on a pseudo-terminal in FOLDER, sources the completion, and for
each case types a line and TAB (twice where the candidates are to be listed),
then reads back through a key bound with "bind -x" what readline holds: the
line, and the words that the shell makes of it. Prints one line per failed
case and exits with 1 when any failed.

    complete_in_bash.py COMPLETION FOLDER < CASES

CASES holds one case per line, fields separated by a tab:
    typed line, as typed (no TAB)
    expected line after completion
    expected words of that line, separated by " | "
    expected candidates listed after two TABs, " | " (optional)
Empty lines and lines starting with "#" are skipped.
"""

import fcntl
import os
import pty
import re
import select
import struct
import sys
import termios
import time

PROMPT = "velmora-test$ "
ESCAPES = re.compile(r"\x1b(\[[0-9;?]*[A-Za-z]|[=>]|\][^\x07]*\x07)")


class Bash:
    def __init__(self, folder):
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.chdir(folder)
            os.execvp("bash", ["bash", "--norc", "--noprofile", "-i"])
        # Wide enough that no line wraps.
        fcntl.ioctl(self.fd, termios.TIOCSWINSZ, struct.pack("HHHH", 50, 1000, 0, 0))
        self.output = b""

    def send(self, text):
        os.write(self.fd, text.encode())

    def read_until(self, marker, timeout=10.0):
        end = time.monotonic() + timeout
        while marker.encode() not in self.output:
            left = end - time.monotonic()
            if left <= 0:
                raise TimeoutError(f"no {marker!r} from bash; it wrote {self.output[-400:]!r}")
            ready, _, _ = select.select([self.fd], [], [], left)
            if ready:
                try:
                    chunk = os.read(self.fd, 65536)
                except OSError:
                    chunk = b""
                if not chunk:
                    raise EOFError(f"bash ended; it wrote {self.output[-400:]!r}")
                self.output += chunk
        before, _, self.output = self.output.partition(marker.encode())
        return ESCAPES.sub("", before.decode(errors="replace"))

    def run(self, command):
        self.send(command + "\n")
        # Only the output holds the marker whole, not the echo of the line.
        self.send("echo @@DO''NE\n")
        self.read_until("@@DONE\r\n")

    def close(self):
        self.send("exit\n")
        os.waitpid(self.pid, 0)
        os.close(self.fd)


def start(completion, folder):
    bash = Bash(folder)
    for command in (
        f"PS1='{PROMPT}'; PS2=; HISTFILE=/dev/null",
        "bind 'set bell-style none'; bind 'set enable-bracketed-paste off'",
        "bind 'set completion-display-width 0'; bind 'set completion-query-items 1000'",
        "bind 'set page-completions off'",
        f"source '{completion}'",
        # Shows what readline holds, and the words the shell makes of it,
        # then empties the line.
        "__show() { local -a w=(); eval \"w=($READLINE_LINE)\" 2>/dev/null;"
        " printf '\\n@@LINE{%s}' \"$READLINE_LINE\"; printf '@@WORD{%s}' \"${w[@]}\";"
        " printf '@@END\\n'; READLINE_LINE=; READLINE_POINT=0; }",
        "bind -x '\"\\C-xp\": __show'",
    ):
        bash.run(command)
    return bash


def complete(bash, typed, tabs):
    bash.send(typed + "\t" * tabs + "\x18p")
    shown = bash.read_until("@@END")
    match = re.search(r"@@LINE\{(.*?)\}((?:@@WORD\{.*?\})*)$", shown, re.S)
    if not match:
        raise ValueError(f"unreadable answer {shown!r}")
    line = match.group(1)
    words = re.findall(r"@@WORD\{(.*?)\}", match.group(2), re.S)
    # Two TABs list the candidates one a line, between the typed line and
    # the prompt that readline draws again.
    listed = []
    drawn = shown[: match.start()].replace("\r", "").split(PROMPT)
    if tabs > 1 and len(drawn) > 2:
        listed = [text for text in drawn[1].split("\n")[1:] if text]
    return line, words, sorted(listed)


def main():
    completion, folder = sys.argv[1], sys.argv[2]
    bash = start(os.path.abspath(completion), folder)
    failures = 0
    for number, case in enumerate(sys.stdin.read().splitlines(), 1):
        if not case.strip() or case.startswith("#"):
            continue
        fields = case.split("\t")
        typed = fields[0]
        expected_line, expected_words = fields[1], fields[2].split(" | ")
        expected_list = sorted(fields[3].split(" | ")) if len(fields) > 3 else None
        line, words, listed = complete(bash, typed, 2 if expected_list is not None else 1)
        problems = []
        if line != expected_line:
            problems.append(f"line {line!r}, not {expected_line!r}")
        if words != expected_words:
            problems.append(f"words {words}, not {expected_words}")
        if expected_list is not None and listed != expected_list:
            problems.append(f"listed {listed}, not {expected_list}")
        if problems:
            failures += 1
            print(f"FAIL: completing {typed!r}: " + "; ".join(problems))
    bash.close()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
