# Nautilus (nautilus-python): "Encrypt with Velmora2", "Decrypt with
# Velmora2" (only when every selected file ends in .enc) and "Securely
# delete with Velmora2" for the selected files. Each starts
#     velmora2 FILE...           (encrypt, decrypt: the encrypt window)
#     velmora2 --shred FILE...   (the secure delete window)
# with the files' paths as separate arguments, no shell in between.
#
# Only local files are offered: a file elsewhere has no path of its own, and
# a copy of it would be encrypted or shredded instead. Folders are left out.

import gi

try:
    gi.require_version("Nautilus", "4.0")
except ValueError:
    gi.require_version("Nautilus", "3.0")

from gi.repository import GLib, GObject, Gio, Nautilus  # noqa: E402

PROGRAM = "velmora2"

# (English, German) labels.
LABELS = {
    "encrypt": ("Encrypt with Velmora2", "Mit Velmora2 verschlüsseln"),
    "decrypt": ("Decrypt with Velmora2", "Mit Velmora2 entschlüsseln"),
    "shred": ("Securely delete with Velmora2", "Mit Velmora2 sicher löschen"),
}


def german():
    """True when the user's first language is German, as for Velmora2's
    own menu entry."""
    names = GLib.get_language_names()
    return bool(names) and names[0].split("_")[0].split(".")[0] == "de"


def local_paths(files):
    """The paths of the selected files, or None when one of them is a
    folder or has no local path."""
    paths = []
    for info in files:
        if info.get_uri_scheme() != "file" or info.is_directory():
            return None
        path = info.get_location().get_path()
        if not path:
            return None
        paths.append(path)
    return paths


def start(paths, shred):
    argv = [PROGRAM] + (["--shred"] if shred else []) + paths
    Gio.Subprocess.new(argv, Gio.SubprocessFlags.NONE)


class Velmora2MenuProvider(GObject.GObject, Nautilus.MenuProvider):
    def get_file_items(self, *args):
        # Nautilus 43 and later pass (files), older ones (window, files).
        files = args[-1]
        if not files or GLib.find_program_in_path(PROGRAM) is None:
            return []
        paths = local_paths(files)
        if paths is None:
            return []
        actions = ["encrypt"]
        if all(path.endswith(".enc") for path in paths):
            actions.append("decrypt")
        actions.append("shred")
        language = 1 if german() else 0
        items = []
        for action in actions:
            item = Nautilus.MenuItem(
                name="Velmora2::" + action,
                label=LABELS[action][language],
                icon=PROGRAM,
            )
            item.connect("activate", self._activate, paths, action == "shred")
            items.append(item)
        return items

    def _activate(self, _item, paths, shred):
        try:
            start(paths, shred)
        except GLib.Error as error:
            print(f"velmora2 extension: cannot start {PROGRAM}: {error.message}")
