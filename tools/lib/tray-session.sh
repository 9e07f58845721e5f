# Shared by the scripts that run the real program on a virtual display (the start-up benchmark,
# the screenshots). Sourced from the repository's root, after `set -euo pipefail`:
#
#   source tools/lib/tray-session.sh
#   tray_session_build quillfen other-target ...   # configures and builds; sets $bin
#   tray_session_folder                            # a fresh home and runtime folder; sets $work
#   cat >"$work/inner.sh" <<INNER
#   $(tray_session_environment)
#   ... (the trayer line from tray_session_trayer, the program, the measurements)
#   INNER
#   xvfb-run -a -s "-screen 0 1280x800x24" "$work/inner.sh"
#
# The program runs on the virtual keyboard with a fresh state, without a session bus (so the
# XEmbed notification area is used) and with trayer as that notification area.

tray_session_build() {
    local build=${BUILD_DIR:-build} out
    bash scripts/configure.sh "$build"
    if ! out=$(cmake --build "$build" -j "$(nproc)" --target "$@" 2>&1); then
        echo "$out" | tail -n 30
        exit 1
    fi
    bin=$(cd "$build/bin" && pwd)
}

tray_session_folder() {
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    mkdir -p "$work/home" "$work/run"
    chmod 700 "$work/run"
}

# The inner script's environment lines.
tray_session_environment() {
    cat <<LINES
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config"
export QUILLFEN_HIDSERV="$bin/libHidServVirtual.so" QUILLFEN_VIRTUAL_STATE="$work/home/vk.state"
unset DBUS_SESSION_BUS_ADDRESS
LINES
}

# The inner script's line that starts trayer at the bottom right of the screen; extra trayer
# options may follow.
tray_session_trayer() {
    echo "trayer --edge bottom --align right --widthtype pixel --width 120 --height 32" \
        "--SetDockType true --transparent false $* >/dev/null 2>&1 &"
}
