#!/usr/bin/env python3
"""Checks the folders of the program against the order the build declares.

Every folder of sources is declared in a CMakeLists.txt with
velmora_module(<folder> ... REQUIRES <folder>...) or
velmora_program(<target> FOLDER <folder> ... REQUIRES <folder>...).
This check fails, naming the file and line, when
  - a source file lies in a folder that is not declared,
  - an #include "..." names a folder that the including folder does not
    require, or a header that does not exist,
  - a folder requires a folder that none of its files includes,
  - the declared folders form a circle.

    scripts/check-layers.py            check the repository
    scripts/check-layers.py --graph    also print the folders and what they require
"""

import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE_ROOTS = ("src", "tools")
KEYWORDS = {"OBJECT", "ROOT", "EXCLUDE", "REQUIRES", "QT", "FOLDER", "SOURCES"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def calls(text, name):
    """The argument words of every call of `name` in a CMake text."""
    text = re.sub(r"#[^\n]*", "", text)
    for match in re.finditer(r"\b%s\s*\(" % name, text):
        depth, start = 1, match.end()
        end = start
        while depth and end < len(text):
            depth += {"(": 1, ")": -1}.get(text[end], 0)
            end += 1
        yield text[start:end - 1].split()


def arguments(words):
    """{keyword: [words]} of one call, with the leading words under ''."""
    parsed, key = {"": []}, ""
    for word in words:
        if word in KEYWORDS:
            key = word
            parsed.setdefault(key, [])
        else:
            parsed[key].append(word)
    return parsed


def declarations():
    """[(folder, root, [required folders], where)] in the order declared."""
    found = []
    for base in SOURCE_ROOTS:
        for folder, _, files in sorted(os.walk(os.path.join(ROOT, base))):
            if "CMakeLists.txt" not in files:
                continue
            path = os.path.join(folder, "CMakeLists.txt")
            text = open(path, encoding="utf-8").read()
            where = os.path.relpath(path, ROOT)
            for words in calls(text, "velmora_module"):
                args = arguments(words)
                root = "src"
                if args.get("ROOT"):
                    root = args["ROOT"][0].replace("${PROJECT_SOURCE_DIR}/", "")
                found.append((args[""][0], root, args.get("REQUIRES", []), where))
            for words in calls(text, "velmora_program"):
                args = arguments(words)
                found.append((args["FOLDER"][0], "src", args.get("REQUIRES", []), where))
    return found


def circle(requires):
    """A list of folders that require each other in a circle, or None."""
    state = {}

    def visit(folder, path):
        state[folder] = "open"
        for required in requires.get(folder, ()):
            if state.get(required) == "open":
                return path[path.index(required):] + [required]
            if required not in state:
                found = visit(required, path + [required])
                if found:
                    return found
        state[folder] = "done"
        return None

    for folder in requires:
        if folder not in state:
            found = visit(folder, [folder])
            if found:
                return found
    return None


def main():
    problems = []
    requires = {}  # folder name -> set of required folder names
    places = {}  # folder name -> its path relative to ROOT
    for folder, root, required, where in declarations():
        if folder in requires and places[folder] != os.path.join(root, folder):
            problems.append(f"{where}: folder name {folder} declared twice")
        requires.setdefault(folder, set()).update(required)
        places[folder] = os.path.join(root, folder)
    for folder, required in requires.items():
        for name in required:
            if name not in requires:
                problems.append(f"{folder} requires {name}, which is not declared")
    loop = circle(requires)
    if loop:
        problems.append("the folders form a circle: " + " -> ".join(loop))

    by_place = {place: folder for folder, place in places.items()}
    used = {folder: set() for folder in requires}
    for base in SOURCE_ROOTS:
        for directory, _, files in sorted(os.walk(os.path.join(ROOT, base))):
            sources = sorted(f for f in files if f.endswith((".cpp", ".h")))
            if not sources:
                continue
            place = os.path.relpath(directory, ROOT)
            folder = by_place.get(place)
            if folder is None:
                problems.append(f"{place}: sources in a folder that no velmora_module declares")
                continue
            for name in sources:
                path = os.path.join(directory, name)
                shown = os.path.relpath(path, ROOT)
                for number, line in enumerate(open(path, encoding="utf-8"), 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    included = match.group(1)
                    target = os.path.dirname(included)
                    if not target:
                        if not os.path.exists(os.path.join(directory, included)):
                            problems.append(f"{shown}:{number}: no header {included} here")
                        continue
                    if target == folder:
                        pass
                    elif target not in requires:
                        problems.append(f"{shown}:{number}: {included}: no folder {target}")
                        continue
                    elif target not in requires[folder]:
                        problems.append(
                            f"{shown}:{number}: {folder} includes {included}, "
                            f"but {folder} does not require {target}")
                        continue
                    else:
                        used[folder].add(target)
                    header = os.path.join(ROOT, places[target], os.path.basename(included))
                    if not os.path.exists(header):
                        problems.append(f"{shown}:{number}: no header {included}")
    for folder, required in requires.items():
        for name in sorted(required - used[folder]):
            problems.append(f"{folder} requires {name}, but none of its files includes it")

    if "--graph" in sys.argv[1:]:
        for folder in requires:
            print(f"{folder}: {' '.join(sorted(requires[folder])) or '-'}")
    if problems:
        print("Layer check: the includes do not match the declared folders "
              "(src/CMakeLists.txt):", file=sys.stderr)
        for problem in problems:
            print("  " + problem, file=sys.stderr)
        return 1
    print(f"Layer check: {len(requires)} folders, no circle, every include declared.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
