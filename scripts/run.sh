#!/usr/bin/env bash
# Builds and starts Quillfen with its window open. With a keyboard attached the program works on
# it; otherwise on the virtual keyboard, whose memory is kept in the user's state folder
# ($XDG_STATE_HOME/quillfen/virtual-keyboard.state, the same file `quillfenctl --virtual` uses),
# so that what is set in the window is still there at the next start. A program already
# running is asked to show its window.
#
# Without a display (no DISPLAY or WAYLAND_DISPLAY) it shows quillfenctl at work instead: with
# a keyboard attached it only reads from it (info, lighting, its profiles); otherwise it runs a
# short demonstration on a virtual keyboard that is thrown away afterwards.
#   scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
bash scripts/configure.sh "$build"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    # Only what the program needs: it brings its skin, device services and companion program.
    cmake --build "$build" -j "$(nproc)" --target quillfen quillfenctl
    if "$build/bin/quillfenctl" info >/dev/null 2>&1; then
        echo "A keyboard is attached: starting Quillfen on it."
        exec "$build/bin/quillfen"
    fi
    state_home=${XDG_STATE_HOME:-$HOME/.local/state}
    mkdir -p "$state_home/quillfen"
    echo "No keyboard attached: starting Quillfen on the virtual keyboard"
    echo "(its memory is kept in $state_home/quillfen/virtual-keyboard.state)."
    QUILLFEN_HIDSERV="$(cd "$build/bin" && pwd)/libHidServVirtual.so" \
    QUILLFEN_VIRTUAL_STATE="$state_home/quillfen/virtual-keyboard.state" \
        exec "$build/bin/quillfen"
fi

echo "No display: showing the command-line tool instead of the window."
cmake --build "$build" -j "$(nproc)" --target quillfenctl
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
head -n 5 "$work/trace.txt" | cut -c1-100   # the header, then the first reports
