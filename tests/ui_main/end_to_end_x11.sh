#!/usr/bin/env bash
# The real program as a user runs it, on an X server (run under xvfb-run): `quillfen` on the
# virtual keyboard with a state file; a click on the key A, B typed into the editor, OK, Apply;
# then a click on G1, a new macro recorded from two typed keys, OK, Apply; the program ended with
# "/Kill"; then quillfenctl reads the same keyboard state and finds both assignments.
#   end_to_end_x11.sh BIN_FOLDER
# Click positions come from the skin's layout files, relative to each window's place.
set -euo pipefail
bin=$(cd "$1" && pwd)
skins="$bin/Skins"
work=$(mktemp -d)
quillfen_pid=
cleanup() {
    if [ -n "$quillfen_pid" ] && kill -0 "$quillfen_pid" 2>/dev/null; then
        kill -9 "$quillfen_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config"
export XDG_STATE_HOME="$work/home/.state"
unset DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM
state="$work/keyboard.state"

fail() {
    echo "FAILED: $*" >&2
    [ -f "$work/quillfen.log" ] && sed 's/^/  quillfen: /' "$work/quillfen.log" >&2
    exit 1
}

# The rectangle "x,y,w,h" of KEY in a layout file, as "x y w h".
rect() {
    local value
    value=$(grep -i "^$1=" "$2" | head -n 1 | cut -d= -f2 | tr -d '\r')
    [ -n "$value" ] || fail "no $1 in $2"
    echo "${value//,/ }"
}

# Clicks the centre of KEY of LAYOUT in WINDOW.
click() {  # window layout key
    local X Y WIDTH HEIGHT SCREEN WINDOW x y w h
    eval "$(xdotool getwindowgeometry --shell "$1")"
    read -r x y w h <<<"$(rect "$3" "$2")"
    xdotool mousemove $((X + x + w / 2)) $((Y + y + h / 2)) click 1
}

# The visible windows of the program, one id a line.
windows() {
    xdotool search --onlyvisible --classname quillfen 2>/dev/null || true
}

# Waits (up to 10 s) until CONDITION (a shell command) succeeds.
wait_for() {
    local i
    for i in $(seq 200); do
        if eval "$1"; then
            return 0
        fi
        sleep 0.05
    done
    return 1
}

QT_LOGGING_RULES="quillfen.*.debug=true" QUILLFEN_HIDSERV="$bin/libHidServVirtual.so" \
    QUILLFEN_VIRTUAL_STATE="$state" "$bin/quillfen" >"$work/quillfen.log" 2>&1 &
quillfen_pid=$!

# No notification area here: the window opens and stays (a notice box may come with it).
wait_for '[ -n "$(xdotool search --onlyvisible --name "Keyboard Settings" 2>/dev/null)" ]' ||
    fail "the main window did not open"
sleep 0.5
main=""
for w in $(windows); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    if [ "$WIDTH" -ge 900 ]; then main=$w; fi
done
[ -n "$main" ] || fail "no main window among $(windows | wc -l) windows"
# The no-notification-area notice, if shown, is closed first.
for w in $(windows); do
    [ "$w" = "$main" ] || { xdotool windowactivate --sync "$w" key Return 2>/dev/null || true; }
done
sleep 0.3
before=$(windows | wc -l)

# The editor on the key A: B typed (captured under the editor's keyboard grab), OK.
click "$main" "$skins/Main.ini" KEY_01E
wait_for '[ "$(windows | wc -l)" -gt "$before" ]' || fail "the editor did not open on A"
editor=$(windows | grep -v -x "$main" | tail -n 1)
sleep 0.5
xdotool key b
sleep 0.3
click "$editor" "$skins/Composite.ini" CONTROL_OK
wait_for '[ "$(windows | wc -l)" -le "$before" ]' || fail "the editor did not close on OK"
click "$main" "$skins/Main.ini" CONTROL2_APPLY
sleep 1

# The editor on G1: the macro page, a new macro, two keys recorded, OK.
click "$main" "$skins/Main.ini" FUNC_G1
wait_for '[ "$(windows | wc -l)" -gt "$before" ]' || fail "the editor did not open on G1"
editor=$(windows | grep -v -x "$main" | tail -n 1)
sleep 0.5
click "$editor" "$skins/Composite.ini" CONTROL_MACRO
sleep 0.3
click "$editor" "$skins/Composite.ini" FUNC_MACRO_ADD
sleep 0.3
click "$editor" "$skins/Composite.ini" FUNC_MACRO_RECORD
sleep 0.5
xdotool key x
sleep 0.1
xdotool key y
sleep 0.3
click "$editor" "$skins/Composite.ini" FUNC_MACRO_RECORD
sleep 0.3
click "$editor" "$skins/Composite.ini" CONTROL_OK
wait_for '[ "$(windows | wc -l)" -le "$before" ]' || fail "the editor did not close on OK (G1)"
click "$main" "$skins/Main.ini" CONTROL2_APPLY
sleep 1

# The program ends through its ending; the virtual keyboard keeps its memory in the state file.
"$bin/quillfen" /Kill
wait_for '! kill -0 "$quillfen_pid" 2>/dev/null' || fail "quillfen did not end on /Kill"
wait "$quillfen_pid" || fail "quillfen ended with $?"
quillfen_pid=

"$bin/quillfenctl" --virtual-state "$state" read "$work/keyboard.fwc" >/dev/null ||
    fail "quillfenctl could not read the keyboard"
json=$("$bin/quillfenctl" show "$work/keyboard.fwc" --json)
grep -q '"does": "key B"' <<<"$json" || fail "A is not B on the keyboard: $json"
grep -q '"key": "G1' <<<"$json" || fail "G1 has no assignment on the keyboard: $json"
grep -A4 '"key": "G1' <<<"$json" | grep -q '"kind": "macro"' || fail "G1 plays no macro: $json"
grep -q '"key": "X"' <<<"$json" && grep -q '"key": "Y"' <<<"$json" ||
    fail "the macro does not hold the two recorded keys: $json"
echo "end to end: A -> B and G1 -> a recorded macro found on the keyboard"
