#!/usr/bin/env bash
# The bash completion of velmora2-cli offers the commands and, per command,
# the options that the program's own help names, and completes file names.
# The lists are checked by calling the completion function; what a user
# meets (names with blanks, quotes and "$" completed whole and quoted, the
# values after "--format=" and "--count=") in a real interactive bash on a
# pseudo-terminal (complete_in_bash.py).
#
#   test_completion.sh PATH/velmora2-cli PATH/velmora2-cli.bash-completion
set -u

cli=$1
completion=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
here=$(cd "$(dirname "$0")" && pwd)
failures=0

work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config TMPDIR=$work/tmp
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$TMPDIR" "$work/files/sub"

# shellcheck source=/dev/null
source "$completion" || { echo "FAIL: cannot source $completion" >&2; exit 1; }

# Completes a command line whose last word is being typed; prints the
# candidates sorted, one a line.
complete_line() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="$*"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _velmora2_cli velmora2-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    if ((${#COMPREPLY[@]} > 0)); then
        printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort -u
    fi
}

expect() {
    local what=$1 expected=$2 actual=$3
    if [[ "$expected" != "$actual" ]]; then
        echo "FAIL: $what" >&2
        echo "  expected: $(echo "$expected" | tr '\n' ' ')" >&2
        echo "  got:      $(echo "$actual" | tr '\n' ' ')" >&2
        failures=$((failures + 1))
    fi
}

# The options a help text names (not the hyphens inside words).
options_in() {
    grep -oP '(?<![\w-])--?[a-z][a-z-]*' | LC_ALL=C sort -u
}

# Commands: those of the overview, plus help and the help options.
overview=$("$cli" help) || { echo "FAIL: velmora2-cli help" >&2; exit 1; }
commands=$(sed -n '/^Commands:/,/^$/p' <<<"$overview" | awk 'NF > 1 { print $1 }')
[[ -n "$commands" ]] || { echo "FAIL: no commands in the overview" >&2; exit 1; }
expect "first word" "$(printf '%s\n' $commands help --help -h | LC_ALL=C sort -u)" \
    "$(complete_line velmora2-cli '')"
expect "first word starting with s" "$(printf '%s\n' settings shred)" \
    "$(complete_line velmora2-cli s)"
expect "help COMMAND" "$(printf '%s\n' $commands | LC_ALL=C sort -u)" \
    "$(complete_line velmora2-cli help '')"

# Options: each command's help names exactly the options offered (beside
# --help, which every command takes).
for command in $commands; do
    from_help=$( ("$cli" help "$command" | options_in; echo --help) | LC_ALL=C sort -u)
    offered=$(complete_line velmora2-cli "$command" -)
    [[ $command == keyfile ]] && offered=$(complete_line velmora2-cli keyfile write k.key -)
    expect "options of $command" "$from_help" "$offered"
done

# Arguments: files, files of a kind, counts, actions.
cd "$work/files" || exit 1
touch plain.txt paper.enc other.enc -- -dash.txt
expect "encrypt takes any file" "$(printf '%s\n' paper.enc plain.txt)" \
    "$(complete_line velmora2-cli encrypt p)"
expect "decrypt takes encrypted files and folders" "$(printf '%s\n' other.enc paper.enc sub)" \
    "$(complete_line velmora2-cli decrypt --key-stdin '')"
expect "key file path" "plain.txt" "$(complete_line velmora2-cli encrypt --key-file pl)"
expect "after -- only files" "-dash.txt" "$(complete_line velmora2-cli shred -- -)"
expect "overwrite count" "$(printf '%s\n' 1 10)" "$(complete_line velmora2-cli shred --count 1)"
expect "keyfile actions" "$(printf '%s\n' read write)" "$(complete_line velmora2-cli keyfile '')"
expect "backup takes a folder" "sub" "$(complete_line velmora2-cli backup '')"
expect "md5 takes no file" "" "$(complete_line velmora2-cli md5 '')"

# In a real interactive bash: the line after TAB, the words the shell makes
# of it, and (for two TABs) the candidates listed. Fields are separated by
# tabs: typed, completed, words, listed.
mkdir -p "$work/names/old files"
cd "$work/names" || exit 1
touch "my report.odt" "my report.odt.enc" "it's \"quoted\".txt" 'price $5.txt' a:b.txt x=y.txt \
    "friend key.key" "old files/inner.txt"
out=$(python3 "$here/complete_in_bash.py" "$completion" "$work/names" <<'EOF'
# A blank, escaped or inside quotes, and the quoting the user began kept.
velmora2-cli shred my	velmora2-cli shred my\ report.odt	velmora2-cli | shred | my report.odt
velmora2-cli shred my\ report.odt	velmora2-cli shred my\ report.odt	velmora2-cli | shred | my report.odt	my report.odt | my report.odt.enc
velmora2-cli decrypt my	velmora2-cli decrypt my\ report.odt.enc 	velmora2-cli | decrypt | my report.odt.enc
velmora2-cli encrypt "my report.odt.	velmora2-cli encrypt "my report.odt.enc" 	velmora2-cli | encrypt | my report.odt.enc
velmora2-cli encrypt 'my report.odt.	velmora2-cli encrypt 'my report.odt.enc' 	velmora2-cli | encrypt | my report.odt.enc
# Quotes and "$" in the name.
velmora2-cli encrypt it	velmora2-cli encrypt it\'s\ \"quoted\".txt 	velmora2-cli | encrypt | it's "quoted".txt
velmora2-cli encrypt 'it	velmora2-cli encrypt 'it'\''s "quoted".txt' 	velmora2-cli | encrypt | it's "quoted".txt
velmora2-cli encrypt "it	velmora2-cli encrypt "it's \"quoted\".txt" 	velmora2-cli | encrypt | it's "quoted".txt
velmora2-cli shred pri	velmora2-cli shred price\ \$5.txt 	velmora2-cli | shred | price $5.txt
velmora2-cli shred "pri	velmora2-cli shred "price \$5.txt" 	velmora2-cli | shred | price $5.txt
# Characters at which bash splits its words for completion.
velmora2-cli encrypt a:	velmora2-cli encrypt a:b.txt 	velmora2-cli | encrypt | a:b.txt
velmora2-cli encrypt x=	velmora2-cli encrypt x=y.txt 	velmora2-cli | encrypt | x=y.txt
# Folders, key files.
velmora2-cli backup ol	velmora2-cli backup old\ files/	velmora2-cli | backup | old files/
velmora2-cli encrypt old\ files/i	velmora2-cli encrypt old\ files/inner.txt 	velmora2-cli | encrypt | old files/inner.txt
velmora2-cli encrypt --key-file fr	velmora2-cli encrypt --key-file friend\ key.key 	velmora2-cli | encrypt | --key-file | friend key.key
velmora2-cli decrypt --key-file=fr	velmora2-cli decrypt --key-file=friend\ key.key 	velmora2-cli | decrypt | --key-file=friend key.key
# Option values, as the next word and after "=".
velmora2-cli encrypt --form	velmora2-cli encrypt --format 	velmora2-cli | encrypt | --format
velmora2-cli encrypt --format a	velmora2-cli encrypt --format age 	velmora2-cli | encrypt | --format | age
velmora2-cli encrypt --format=l	velmora2-cli encrypt --format=legacy 	velmora2-cli | encrypt | --format=legacy
velmora2-cli encrypt --format=	velmora2-cli encrypt --format=	velmora2-cli | encrypt | --format=	age | compatible | legacy
velmora2-cli shred --count=7	velmora2-cli shred --count=7 	velmora2-cli | shred | --count=7
velmora2-cli shred --count=	velmora2-cli shred --count=	velmora2-cli | shred | --count=	1 | 2 | 3 | 4 | 5 | 6 | 7 | 8 | 9 | 10
velmora2-cli shred --yes --count 1	velmora2-cli shred --yes --count 1	velmora2-cli | shred | --yes | --count | 1	1 | 10
EOF
) || {
    echo "$out" >&2
    failures=$((failures + $(grep -c '^FAIL' <<<"$out")))
}

if ((failures > 0)); then
    echo "$failures completion check(s) failed" >&2
    exit 1
fi
echo "completion: all checks passed"
