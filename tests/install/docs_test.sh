#!/usr/bin/env bash
# quillfenctl's manual page and bash completion against the tool itself: every command and
# every long option that `quillfenctl ... --help` lists must be in both, so that neither falls
# behind when the tool grows.
#   docs_test.sh QUILLFENCTL MAN_PAGE COMPLETION
set -uo pipefail
tool=$1
page=$2
completion=$3

# The page's text without roff's escapes: \- is a hyphen, \fB and friends change the font.
text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIPR]//g' -e 's/\\(aq/'"'"'/g' "$page")
failures=0

# help_of WORDS...: the help text of a command (none: the tool's own).
help_of() {
    env -i HOME="$work" XDG_CONFIG_HOME="$work" XDG_STATE_HOME="$work" \
        "$tool" "$@" --help 2>&1
}
# Long options of a help text: the --words of its Options section's first column.
options_of() {
    awk '/^Options:/ {on = 1; next} /^[^ ]/ {on = 0} on && /^  -/ {print $1}' |
        tr ',' '\n' | grep -o -- '^--[a-z][a-z-]*' | sort -u
}
# Commands of a help text: the first word of each line of its Subcommands section.
commands_of() {
    awk '/^Subcommands:/ {on = 1; next} /^[^ ]/ {on = 0} on && /^  [a-z]/ {print $1}'
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

check() {
    local what=$1 where=$2
    if ! grep -qw -- "$what" <<<"$text"; then
        echo "FAIL: the manual page does not mention $what ($where)"
        failures=$((failures + 1))
    fi
    if ! grep -qw -- "$what" "$completion"; then
        echo "FAIL: the bash completion does not offer $what ($where)"
        failures=$((failures + 1))
    fi
}

top=$(help_of)
commands=$(commands_of <<<"$top")
[ -n "$commands" ] || { echo "FAIL: no commands in quillfenctl --help:"; echo "$top"; exit 1; }
checked=0
for option in $(options_of <<<"$top"); do
    check "$option" "quillfenctl --help"
    checked=$((checked + 1))
done
for command in $commands; do
    check "$command" "quillfenctl --help"
    help=$(help_of "$command")
    for option in $(options_of <<<"$help"); do
        check "$option" "quillfenctl $command --help"
        checked=$((checked + 1))
    done
    for sub in $(commands_of <<<"$help"); do
        check "$sub" "quillfenctl $command --help"
        for option in $(options_of <<<"$(help_of "$command" "$sub")"); do
            check "$option" "quillfenctl $command $sub --help"
            checked=$((checked + 1))
        done
    done
done

if [ $failures -ne 0 ]; then
    echo "$failures name(s) missing"
    exit 1
fi
echo "docs: $(wc -w <<<"$commands") commands and $checked options, all in the manual page and the completion"
