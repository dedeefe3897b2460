#!/usr/bin/env python3
"""Loads the Nautilus extension of the package as nautilus-python does and
checks the entries it offers for a selection and the program each starts.

Nautilus is not installed for the tests, so its module is replaced by the
three things the extension takes from it (the menu provider interface, menu
items with an "activate" signal, the selected files); GLib, Gio and the
program started are real: a stand-in velmora2 on PATH records its arguments.

    nautilus_extension.py EXTENSION.py WORK_FOLDER
"""

import importlib.util
import os
import sys
import time
import types

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib, GObject  # noqa: E402


class MenuItem(GObject.GObject):
    __gsignals__ = {"activate": (GObject.SignalFlags.RUN_FIRST, None, ())}
    name = GObject.Property(type=str)
    label = GObject.Property(type=str)
    tip = GObject.Property(type=str)
    icon = GObject.Property(type=str)


class FileInfo:
    def __init__(self, uri, directory=False):
        self.location = Gio.File.new_for_uri(uri)
        self.directory = directory

    def get_uri_scheme(self):
        return self.location.get_uri_scheme()

    def is_directory(self):
        return self.directory

    def get_location(self):
        return self.location


def load(path):
    nautilus = types.ModuleType("gi.repository.Nautilus")
    nautilus.MenuProvider = type("MenuProvider", (), {})
    nautilus.MenuItem = MenuItem
    sys.modules["gi.repository.Nautilus"] = nautilus
    real_require = gi.require_version
    gi.require_version = lambda name, version: None if name == "Nautilus" else real_require(name, version)
    found = importlib.util.spec_from_file_location("velmora2_extension", path)
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    gi.require_version = real_require
    return module.Velmora2MenuProvider()


def started(record, timeout=10.0):
    """The arguments the stand-in program was started with."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if os.path.exists(record + ".done"):
            with open(record, "rb") as f:
                words = f.read().decode().split("\0")[:-1]
            os.remove(record)
            os.remove(record + ".done")
            return words
        GLib.MainContext.default().iteration(False)
        time.sleep(0.02)
    return None


def main():
    extension, work = sys.argv[1], sys.argv[2]
    bin_folder = os.path.join(work, "bin")
    os.makedirs(bin_folder, exist_ok=True)
    record = os.path.join(work, "started")
    program = os.path.join(bin_folder, "velmora2")
    with open(program, "w") as f:
        f.write(f"#!/bin/sh\nprintf '%s\\0' \"$@\" > '{record}'\ntouch '{record}.done'\n")
    os.chmod(program, 0o755)
    os.environ["PATH"] = bin_folder + os.pathsep + os.environ["PATH"]
    os.environ["LANGUAGE"] = "en"

    files = os.path.join(work, "files")
    os.makedirs(files, exist_ok=True)
    names = ["my report.odt", "it's \"$HOME\".txt", "a.odt.enc", "b.enc"]
    for name in names:
        open(os.path.join(files, name), "w").close()

    def local(name, directory=False):
        return FileInfo(Gio.File.new_for_path(os.path.join(files, name)).get_uri(), directory)

    provider = load(extension)
    failures = []
    english = ["Encrypt with Velmora2", "Decrypt with Velmora2", "Securely delete with Velmora2"]
    german = ["Mit Velmora2 verschlüsseln", "Mit Velmora2 entschlüsseln", "Mit Velmora2 sicher löschen"]

    # Selection, language, the labels offered.
    cases = [
        ("plain files", [local(names[0]), local(names[1])], "en", [english[0], english[2]]),
        ("encrypted files", [local(names[2]), local(names[3])], "en", english),
        ("encrypted and plain", [local(names[2]), local(names[0])], "en", [english[0], english[2]]),
        ("German", [local(names[3])], "de_DE.UTF-8", german),
        ("a folder", [local(names[0]), local("sub", directory=True)], "en", []),
        ("a remote file", [FileInfo("sftp://host/home/u/b.enc")], "en", []),
        ("nothing", [], "en", []),
    ]
    for what, selection, language, expected in cases:
        os.environ["LANGUAGE"] = language
        items = provider.get_file_items(selection)
        labels = [item.props.label for item in items]
        if labels != expected:
            failures.append(f"{what}: offers {labels}, not {expected}")
    os.environ["LANGUAGE"] = "en"

    # What each entry starts: the paths whole, --shred for secure delete.
    paths = [os.path.join(files, name) for name in names[2:]] + [os.path.join(files, names[1])]
    selection = [local(names[2]), local(names[3]), local(names[1])]
    for label, expected in [
        (english[0], paths),
        (english[2], ["--shred"] + paths),
    ]:
        items = [item for item in provider.get_file_items(selection) if item.props.label == label]
        if not items:
            failures.append(f"no entry {label!r}")
            continue
        items[0].emit("activate")
        words = started(record)
        if words != expected:
            failures.append(f"{label!r} started velmora2 with {words}, not {expected}")
    decrypt = [item for item in provider.get_file_items(selection[:2]) if item.props.label == english[1]]
    if decrypt:
        decrypt[0].emit("activate")
        words = started(record)
        if words != paths[:2]:
            failures.append(f"decrypting started velmora2 with {words}, not {paths[:2]}")
    else:
        failures.append("no decrypt entry for two .enc files")

    # Without the program on PATH the entries are not offered.
    os.environ["PATH"] = os.pathsep.join(p for p in os.environ["PATH"].split(os.pathsep) if p != bin_folder)
    if GLib.find_program_in_path("velmora2") is None and provider.get_file_items([local(names[0])]):
        failures.append("entries offered although velmora2 is not installed")

    for failure in failures:
        print(f"FAIL: nautilus extension: {failure}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
