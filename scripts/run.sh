#!/usr/bin/env bash
# Builds the project into build/ and shows quillfenctl at work. With a keyboard attached it only
# reads from it (info, lighting, its profiles); otherwise it runs a short demonstration on the
# virtual keyboard, with a fresh keyboard state that is thrown away afterwards.
#   scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j "$(nproc)"

ctl="$build/bin/quillfenctl"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
state="$work/virtual-keyboard.state"
profile="$work/keyboard.fwc"

if "$ctl" info >/dev/null 2>&1; then
    echo "A keyboard is attached: reading from it (nothing is written)."
    for args in "info" "lighting show" "read $profile" "show $profile"; do
        echo
        echo "\$ quillfenctl $args"
        # shellcheck disable=SC2086
        "$ctl" $args
    done
    exit 0
fi
echo "No keyboard attached: demonstrating on the virtual keyboard."

step() {
    echo
    printf '$ quillfenctl --virtual'
    printf ' %q' "$@"
    echo
    "$ctl" --virtual-state "$state" "$@"
}

step info
step lighting show
step macro add --repeat 2 Burst +Shift +A t50 -A -Shift
step assign F1 "macro:Burst x3"
step assign Caps\ Lock key:Ctrl
step read "$profile"
step show "$profile"
step validate "$profile"
echo
echo "Traffic of one command (quillfenctl --trace FILE info), first lines:"
"$ctl" --virtual-state "$state" --trace "$work/trace.txt" info >/dev/null
head -n 4 "$work/trace.txt" | cut -c1-100
