#!/usr/bin/env bash
# Builds the Debian package from the build folder into a temporary folder,
# unpacks it and checks what it holds: the programs, the menu entry, the
# AppStream metadata, the icons, the manual pages, the completion, the help
# pages, the file types, the file managers' entries, the copyright and the
# changelog, each valid by the tool that reads it, and nothing else (no
# tests). A double click is played through GIO, as Nautilus and Nemo open
# files. Where lintian is installed, it must find neither errors nor warnings.
#
#   test_package.sh BUILD_DIR SOURCE_DIR
set -u

build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config TMPDIR=$work/tmp
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$TMPDIR"

for tool in cpack dpkg-deb dpkg-shlibdeps dpkg-parsechangelog desktop-file-validate appstreamcli groff file \
    xmllint update-mime-database update-desktop-database gio /usr/bin/python3; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

# The package, made without touching the build folder.
if ! cpack -G DEB -B "$work/out" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack" >&2
    exit 1
fi
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb=$work/out/velmora2_${version}_$(dpkg --print-architecture).deb
[[ -f "$deb" ]] || { ls "$work/out" >&2; echo "FAIL: no $deb" >&2; exit 1; }
echo "# $(basename "$deb")"

# The control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[[ "$(field Package)" == velmora2 ]] || fail "Package is $(field Package)"
[[ "$(field Section)" == utils ]] || fail "Section is $(field Section)"
[[ -n "$(field Maintainer)" ]] || fail "no Maintainer"
depends=$(field Depends)
for library in libc6 libqt6core6 libqt6widgets6; do
    grep -q "\b$library\b" <<<"$depends" || fail "Depends lacks $library: $depends"
done
grep -q qt6-translations-l10n <<<"$(field Recommends)" || fail "Recommends lacks qt6-translations-l10n"
grep -q python3-nautilus <<<"$(field Suggests)" || fail "Suggests lacks python3-nautilus"
description=$(field Description)
(($(wc -l <<<"$description") >= 4)) || fail "the description is not a long one: $description"

# The files: exactly those that "cmake --install" puts in place, under /usr.
root=$work/root
dpkg-deb -x "$deb" "$root"
cmake --install "$build" --prefix "$work/installed" >/dev/null || fail "cmake --install"
packaged=$(cd "$root" && find . -type f -o -type l | sed 's|^\./usr/||' | LC_ALL=C sort)
installed=$(cd "$work/installed" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
[[ "$packaged" == "$installed" ]] ||
    fail "the package and cmake --install differ: $(diff <(echo "$installed") <(echo "$packaged") | tr '\n' ' ')"
[[ -z "$(cd "$root" && find . -mindepth 1 -maxdepth 1 ! -name usr)" ]] || fail "files outside /usr"

app_id=example.velmora.Velmora2
expected=(
    bin/velmora2
    bin/velmora2-cli
    share/applications/$app_id.desktop
    share/metainfo/$app_id.metainfo.xml
    share/icons/hicolor/scalable/apps/velmora2.svg
    share/man/man1/velmora2.1.gz
    share/man/man1/velmora2-cli.1.gz
    share/bash-completion/completions/velmora2-cli
    share/velmora2/velmora.html
    share/velmora2/velmorade.html
    share/mime/packages/$app_id.xml
    share/kio/servicemenus/velmora2.desktop
    share/kio/servicemenus/velmora2-decrypt.desktop
    share/nemo/actions/velmora2-encrypt.nemo_action
    share/nemo/actions/velmora2-decrypt.nemo_action
    share/nemo/actions/velmora2-shred.nemo_action
    share/nautilus-python/extensions/velmora2.py
    share/doc/velmora2/copyright
    share/doc/velmora2/changelog.gz
)
for size in 16 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/velmora2.png")
done
for path in "${expected[@]}"; do
    [[ -f "$root/usr/$path" ]] || fail "missing /usr/$path"
done
extra=$(comm -13 <(printf '%s\n' "${expected[@]}" | LC_ALL=C sort) <(echo "$packaged"))
[[ -z "$extra" ]] || fail "unexpected files: $(echo "$extra" | tr '\n' ' ')"

# Each file valid for the tool that reads it.
for size in 16 32 48 64 128 256; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/velmora2.png
    file -b "$png" | grep -q "PNG image data, $size x $size," || fail "icon $size: $(file -b "$png")"
done
desktop=$root/usr/share/applications/$app_id.desktop
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
grep -q '^Exec=velmora2 %F$' "$desktop" || fail "the menu entry does not start velmora2 with the files"
grep -q '^MimeType=application/x-velmora2-encrypted;application/x-velmora2-age-encrypted;$' "$desktop" ||
    fail "the menu entry is not the handler of the encrypted files"
metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
out=$(appstreamcli validate --no-net --no-color "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata lacks release $version"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "the metadata does not launch $app_id.desktop"
for image in $(grep -o '<image>[^<]*</image>' "$metainfo" | sed 's|<image>.*/\([^/<]*\)</image>|\1|'); do
    [[ -f "$source_dir/docs/screenshots/$image" ]] || fail "screenshot $image is not in docs/screenshots"
done
for page in velmora2 velmora2-cli; do
    man_page=$root/usr/share/man/man1/$page.1.gz
    warnings=$(zcat "$man_page" | groff -man -ww -Tutf8 2>&1 >/dev/null)
    [[ -z "$warnings" ]] || fail "groff warns on $page(1): $warnings"
    grep -q '@' <(zcat "$man_page" | grep '^\.TH') && fail "the header of $page(1) was not filled in"
done
bash -n "$root/usr/share/bash-completion/completions/velmora2-cli" || fail "the completion is no bash script"

# The changelog's newest entry is this release, of the day the metadata
# names; the copyright file is the machine-readable kind.
doc=$root/usr/share/doc/velmora2
if zcat "$doc/changelog.gz" >"$work/changelog"; then
    entry_version=$(dpkg-parsechangelog -l "$work/changelog" -S Version)
    [[ "$entry_version" == "$version" ]] || fail "the newest changelog entry is $entry_version, not $version"
    release_date=$(sed -n 's/.*<release version="[^"]*" date="\([^"]*\)".*/\1/p' "$metainfo")
    entry_date=$(date -u -d "$(dpkg-parsechangelog -l "$work/changelog" -S Date)" +%F)
    [[ "$entry_date" == "$release_date" ]] || fail "the newest changelog entry is of $entry_date, not $release_date"
else
    fail "the changelog is not gzipped"
fi
[[ "$(head -n 1 "$doc/copyright")" == "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ]] ||
    fail "the copyright file is not machine-readable"

# The file types and a double click. The databases are made as the triggers
# of shared-mime-info and desktop-file-utils make them when the package is
# installed; GIO (as Nautilus and Nemo use it) then names the types and opens
# a file with its handler: velmora2, here a stand-in on PATH that writes down
# its arguments. Real encrypted files, with blanks, quotes and a "$" in their
# names.
mime_xml=$root/usr/share/mime/packages/$app_id.xml
out=$(xmllint --noout "$mime_xml" 2>&1) || fail "xmllint: $out"
data=$work/data
mkdir -p "$data/mime/packages" "$data/applications" "$work/bin" "$work/open"
cp /usr/share/mime/packages/freedesktop.org.xml "$mime_xml" "$data/mime/packages/"
cp "$desktop" "$data/applications/"
# Only this data folder: the system's types and menu entries stay out.
with_types() {
    env -u DBUS_SESSION_BUS_ADDRESS -u DISPLAY -u WAYLAND_DISPLAY XDG_DATA_DIRS="$data" \
        XDG_DATA_HOME="$work/no-data" XDG_CONFIG_DIRS="$work/no-config" PATH="$work/bin:$PATH" "$@"
}
out=$(with_types update-mime-database "$data/mime" 2>&1) && [[ -z "$out" ]] || fail "update-mime-database: $out"
out=$(with_types update-desktop-database "$data/applications" 2>&1) || fail "update-desktop-database: $out"
cat >"$work/bin/velmora2" <<EOF
#!/bin/sh
printf '%s\0' "\$@" >"$work/started.part" && mv "$work/started.part" "$work/started"
EOF
chmod +x "$work/bin/velmora2"
cli=$root/usr/bin/velmora2-cli
compatible="$work/open/my report.odt.enc"
strong="$work/open/it's \"strong\" \$1.txt.enc"
age_named="$work/open/backup.age"
printf 'plain text\n' >"$work/open/notes.txt"
for file in "$compatible" "$strong" "$age_named"; do printf 'some text\n' >"${file%.*}"; done
echo key | "$cli" encrypt --format legacy --key-stdin "${compatible%.enc}" >/dev/null || fail "encrypt (legacy)"
echo key | "$cli" encrypt --format age --key-stdin "${strong%.enc}" >/dev/null || fail "encrypt (age)"
echo key | "$cli" encrypt --format age --key-stdin "$work/open/backup" >/dev/null &&
    mv "$work/open/backup.enc" "$age_named" || fail "encrypt (age, renamed)"
while IFS='|' read -r file type opens; do
    shown=$(with_types gio info -a standard::content-type "$file" | sed -n 's/^ *standard::content-type: //p')
    [[ "$shown" == "$type" ]] || fail "$(basename "$file") is of type $shown, not $type"
    [[ $opens == yes ]] || continue
    rm -f "$work/started"
    out=$(with_types gio open "$file" 2>&1) || fail "gio open $(basename "$file"): $out"
    for _ in $(seq 50); do [[ -f "$work/started" ]] && break; sleep 0.1; done
    if [[ -f "$work/started" ]]; then
        started=$(tr '\0' '\n' <"$work/started")
        [[ "$started" == "$file" ]] || fail "a double click on $(basename "$file") started velmora2 $started"
    else
        fail "a double click on $(basename "$file") did not start velmora2"
    fi
done <<EOF
$compatible|application/x-velmora2-encrypted|yes
$strong|application/x-velmora2-encrypted|yes
$age_named|application/x-velmora2-age-encrypted|yes
$work/open/notes.txt|text/plain|no
EOF

# The file managers' entries: Dolphin's service menus (desktop-file-validate
# knows their type Service and its keys only as errors, which are left out),
# Nemo's actions, each with its English and German name and its command; the
# decrypt entries only for the type the .enc files have. The Nautilus
# extension compiles and, loaded as nautilus-python loads it, offers the
# entries and starts the program (nautilus_extension.py).
for menu in "$root"/usr/share/kio/servicemenus/*.desktop; do
    out=$(desktop-file-validate "$menu" 2>&1 | grep -v \
        -e 'but the type is "Service" while this key is only valid for type "Application"' \
        -e 'required key "Name" in group "Desktop Entry" is not present' \
        -e 'contains value "all/allfiles" which is an invalid MIME type')
    [[ -z "$out" ]] || fail "desktop-file-validate: $out"
done
out=$(/usr/bin/python3 - "$root/usr/share" <<'EOF'
import sys
from gi.repository import GLib

share = sys.argv[1]
names = {
    "encrypt": ("Encrypt with Velmora2", "Mit Velmora2 verschlüsseln", "velmora2 %F"),
    "decrypt": ("Decrypt with Velmora2", "Mit Velmora2 entschlüsseln", "velmora2 %F"),
    "shred": ("Securely delete with Velmora2", "Mit Velmora2 sicher löschen", "velmora2 --shred %F"),
}
# File, groups with their entry, keys the whole file must hold.
files = [
    ("kio/servicemenus/velmora2.desktop", {"Desktop Action encrypt": "encrypt", "Desktop Action shred": "shred"},
     {"Desktop Entry": {"Type": "Service", "MimeType": "all/allfiles;", "X-KDE-Protocols": "file",
                        "Actions": "encrypt;shred;"}}),
    ("kio/servicemenus/velmora2-decrypt.desktop", {"Desktop Action decrypt": "decrypt"},
     {"Desktop Entry": {"Type": "Service", "MimeType": "application/x-velmora2-encrypted;",
                        "X-KDE-Protocols": "file", "Actions": "decrypt;"}}),
    ("nemo/actions/velmora2-encrypt.nemo_action", {"Nemo Action": "encrypt"},
     {"Nemo Action": {"Selection": "notnone", "Extensions": "nodirs;", "Quote": "double"}}),
    ("nemo/actions/velmora2-decrypt.nemo_action", {"Nemo Action": "decrypt"},
     {"Nemo Action": {"Selection": "notnone", "Extensions": ".enc;", "Quote": "double"}}),
    ("nemo/actions/velmora2-shred.nemo_action", {"Nemo Action": "shred"},
     {"Nemo Action": {"Selection": "notnone", "Extensions": "nodirs;", "Quote": "double"}}),
]
for path, entries, keys in files:
    key_file = GLib.KeyFile()
    try:
        key_file.load_from_file(f"{share}/{path}", GLib.KeyFileFlags.KEEP_TRANSLATIONS)
    except GLib.Error as error:
        print(f"{path}: {error.message}")
        continue
    expected = {group: dict(values) for group, values in keys.items()}
    for group, entry in entries.items():
        english, german, command = names[entry]
        expected.setdefault(group, {}).update({"Name": english, "Name[de]": german, "Exec": command})
    for group, values in expected.items():
        for key, value in values.items():
            try:
                actual = key_file.get_value(group, key)
            except GLib.Error:
                actual = None
            if actual != value:
                print(f"{path}: [{group}] {key} is {actual!r}, not {value!r}")
EOF
) || fail "cannot read the file managers' entries: $out"
[[ -z "$out" ]] || fail "file managers' entries: $out"
extension=$root/usr/share/nautilus-python/extensions/velmora2.py
out=$(/usr/bin/python3 -c 'import py_compile, sys; py_compile.compile(sys.argv[1], cfile=sys.argv[2], doraise=True)' \
    "$extension" "$work/extension.pyc" 2>&1) || fail "the Nautilus extension does not compile: $out"
mkdir -p "$work/nautilus"
out=$(/usr/bin/python3 "$source_dir/tests/package/nautilus_extension.py" "$extension" "$work/nautilus" 2>&1) || fail "$out"

# lintian, where it is installed: no errors, no warnings.
if command -v lintian >/dev/null; then
    out=$(lintian --fail-on error,warning --tag-display-limit 0 "$deb" 2>&1) || fail "lintian: $out"
else
    echo "# lintian is not installed: not run"
fi

# The unpacked command runs from where it lies, on the system's libraries.
shown=$(env -u LD_LIBRARY_PATH "$root/usr/bin/velmora2-cli" version) || fail "velmora2-cli version"
[[ "$shown" == "$version".* ]] || fail "velmora2-cli version shows $shown, not $version"

if ((failures > 0)); then
    echo "$failures package check(s) failed" >&2
    exit 1
fi
echo "package: all checks passed"
