#!/usr/bin/env bash
# The bash completion of quillfenctl, driven the way bash drives it: the line split into words
# at blanks and at '=' and ':', then the completion function called. A stand-in tool prints the
# names that `quillfenctl list` would, so the test does not depend on the tool's key table.
#   completion_test.sh COMPLETION_FILE
set -uo pipefail
completion=$1
if [ ! -r /usr/share/bash-completion/bash_completion ]; then
    echo "SKIPPED: bash-completion is not installed"
    exit 77
fi
# shellcheck disable=SC1091
source /usr/share/bash-completion/bash_completion
# shellcheck disable=SC1090
source "$completion"
# compopt only works while readline runs a completion; here it is recorded.
nospace=0
compopt() { [[ $* == "-o nospace" ]] && nospace=1; return 0; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/quillfenctl" <<'TOOL'
#!/bin/sh
[ "$1" = list ] || exit 2
case $2 in
    keys) printf '%s\n' G1 G2 G9 A "Caps Lock" Ctrl F1 F12 ;;
    media) printf '%s\n' Mute "Volume Up" "Volume Down" ;;
    functions) printf '%s\n' "Win Lock" ;;
    *) exit 2 ;;
esac
TOOL
chmod +x "$work/quillfenctl"
touch "$work/keys.fwc" "$work/notes.txt"
mkdir "$work/sub"

failures=0

# Splits LINE as bash does for completion: words at blanks (a backslash keeps the next
# character), and each '=' or ':' a word of its own; the cursor is at the end of the line.
complete_line() {
    local line=$1 word="" c i
    COMP_WORDS=()
    for ((i = 0; i < ${#line}; i++)); do
        c=${line:i:1}
        if [[ $c == \\ ]]; then
            word+=$c${line:i+1:1}
            i=$((i + 1))
        elif [[ $c == ' ' ]]; then
            [[ -n $word ]] && COMP_WORDS+=("$word")
            word=""
        elif [[ $c == [=:] ]]; then
            [[ -n $word ]] && COMP_WORDS+=("$word")
            COMP_WORDS+=("$c")
            word=""
        else
            word+=$c
        fi
    done
    # Right after '=' or ':' the current word is that character itself.
    if [[ -n $word || ${line: -1} == ' ' ]]; then
        COMP_WORDS+=("$word")
    fi
    COMP_WORDS[0]="$work/quillfenctl"
    COMP_LINE="$work/quillfenctl ${line#quillfenctl }"
    COMP_POINT=${#COMP_LINE}
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    nospace=0
    _quillfenctl
}

# expect LINE WORD...: the completions of LINE are exactly WORD... (in any order).
expect() {
    local line=$1
    shift
    complete_line "$line"
    local got want
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort)
    want=$(printf '%s\n' "$@" | sort)
    if [[ $got != "$want" ]]; then
        echo "FAIL: '$line'"
        echo "  expected: $(echo "$want" | tr '\n' '|')"
        echo "  got:      $(echo "$got" | tr '\n' '|')"
        failures=$((failures + 1))
    fi
}

# Commands, global options, and options before the command that take a value.
expect "quillfenctl as" assign
expect "quillfenctl --virtual l" lighting list
expect "quillfenctl --ver" --version
expect "quillfenctl --trace out.txt --virtual-state s.state ma" macro
expect "quillfenctl --device-service lib.so in" info
# Values of options, wherever they stand.
expect "quillfenctl assign --bank " A B
expect "quillfenctl lighting show --profile " 0 1 2
expect "quillfenctl profile " 0 1 2
expect "quillfenctl profile 1 " 
# Keys and targets: the names of the list, escaped; kinds go on without a blank.
expect "quillfenctl assign --bank B G" G1 G2 G9
expect "quillfenctl assign Ca" 'Caps\ Lock'
expect "quillfenctl assign F1 m" macro: media:
expect "quillfenctl assign F1 med" media:
[[ $nospace == 1 ]] || { echo "FAIL: 'media:' is followed by a blank"; failures=$((failures + 1)); }
expect "quillfenctl assign F1 media:" Mute 'Volume\ Up' 'Volume\ Down'
expect "quillfenctl assign F1 media:Vol" 'Volume\ Up' 'Volume\ Down'
expect "quillfenctl assign --file x.fwc --profile 2 Caps\\ Lock key:F" F1 F12
expect "quillfenctl assign F1 macro:" 
# Commands of commands, and their options.
expect "quillfenctl macro --file k.fwc " list add set remove
expect "quillfenctl macro add --" --file --create --repeat --help
expect "quillfenctl macro set --repeat 3 --" --file --repeat --help
expect "quillfenctl list " keys media functions modes
# Lighting settings: NAME=, then the values of NAME.
expect "quillfenctl lighting set b" brightness=
expect "quillfenctl lighting set mode=4 speed=" 0 1 2 3 4
expect "quillfenctl lighting set multicolour=o" on off
expect "quillfenctl lighting set colour=" 
expect "quillfenctl lighting zone " 1 2 3 4 5 6
# Files.
cd "$work" || exit 1
expect "quillfenctl validate " keys.fwc sub
expect "quillfenctl --trace n" notes.txt

if [ "$failures" -ne 0 ]; then
    echo "$failures completion(s) wrong"
    exit 1
fi
echo "bash completion: all cases complete as expected"
