#!/usr/bin/env bash
# The start-up benchmark: `quillfen /Start` (as the session's autostart starts it, on the virtual
# keyboard) against a bare Qt 6 program with one window and one tray icon, N interleaved runs
# each under one Xvfb server with trayer as the notification area. Prints every run, the
# medians and the ratios.
#   tools/bench/startup-bench.sh [RUNS]          (default 7; BUILD_DIR as for the other scripts)
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-7}
build=${BUILD_DIR:-build}
bash scripts/configure.sh "$build"
if ! out=$(cmake --build "$build" -j "$(nproc)" --target quillfen startup_probe bare_tray 2>&1); then
    echo "$out" | tail -n 30
    exit 1
fi
bin=$(cd "$build/bin" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"

cat >"$work/inner.sh" <<INNER
#!/usr/bin/env bash
set -euo pipefail
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config"
export QUILLFEN_HIDSERV="$bin/libHidServVirtual.so" QUILLFEN_VIRTUAL_STATE="$work/home/vk.state"
unset DBUS_SESSION_BUS_ADDRESS
trayer --edge bottom --align right --widthtype pixel --width 120 --height 32 \
    --SetDockType true --transparent false >/dev/null 2>&1 &
tray_pid=\$!
for _ in \$(seq 100); do
    # trayer's visible window ("panel"); its other windows never hold an icon.
    panel=\$(xwininfo -name panel 2>/dev/null | awk '/Window id:/ {print \$4}' || true)
    [ -n "\$panel" ] && break
    sleep 0.05
done
[ -n "\$panel" ] || { echo "trayer did not start" >&2; exit 1; }
# One start first, not measured: the disk cache then holds what every start reads.
"$bin/startup_probe" --tray "\$panel" --runs 1 --name quillfen -- "$bin/quillfen" /Start \
    --name bare -- "$bin/bare_tray" >/dev/null
"$bin/startup_probe" --tray "\$panel" --runs "$runs" --name quillfen -- "$bin/quillfen" /Start \
    --name bare -- "$bin/bare_tray"
kill \$tray_pid
INNER
chmod +x "$work/inner.sh"
xvfb-run -a -s "-screen 0 1280x800x24" "$work/inner.sh"
