#!/usr/bin/env bash
# Builds the Debian package from the build folder into a temporary folder,
# unpacks it and checks what it holds: the programs, the menu entry, the
# AppStream metadata, the icons, the manual page, the completion and the help
# pages, each valid by the tool that reads it, and nothing else (no tests).
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

for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli groff file; do
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
    share/man/man1/velmora2-cli.1.gz
    share/bash-completion/completions/velmora2-cli
    share/velmora2/velmora.html
    share/velmora2/velmorade.html
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
grep -q '^Exec=velmora2$' "$desktop" || fail "the menu entry does not start velmora2"
metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
out=$(appstreamcli validate --no-net --no-color "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata lacks release $version"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "the metadata does not launch $app_id.desktop"
for image in $(grep -o '<image>[^<]*</image>' "$metainfo" | sed 's|<image>.*/\([^/<]*\)</image>|\1|'); do
    [[ -f "$source_dir/docs/screenshots/$image" ]] || fail "screenshot $image is not in docs/screenshots"
done
warnings=$(zcat "$root/usr/share/man/man1/velmora2-cli.1.gz" | groff -man -ww -Tutf8 2>&1 >/dev/null)
[[ -z "$warnings" ]] || fail "groff warns: $warnings"
grep -q '@' <(zcat "$root/usr/share/man/man1/velmora2-cli.1.gz" | grep '^\.TH') && fail "the manual page header was not filled in"
bash -n "$root/usr/share/bash-completion/completions/velmora2-cli" || fail "the completion is no bash script"

# The unpacked command runs from where it lies, on the system's libraries.
shown=$(env -u LD_LIBRARY_PATH "$root/usr/bin/velmora2-cli" version) || fail "velmora2-cli version"
[[ "$shown" == "$version".* ]] || fail "velmora2-cli version shows $shown, not $version"

if ((failures > 0)); then
    echo "$failures package check(s) failed" >&2
    exit 1
fi
echo "package: all checks passed"
