#!/usr/bin/env bash
# The start-up benchmark: `quillfen /Start` (as the session's autostart starts it, on the virtual
# keyboard) against a bare Qt 6 program with one window and one tray icon, N interleaved runs
# each under one Xvfb server with trayer as the notification area. Prints every run, the
# medians and the ratios.
#   tools/bench/startup-bench.sh [RUNS]          (default 7; BUILD_DIR as for the other scripts)
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-7}
source tools/lib/tray-session.sh
tray_session_build quillfen startup_probe bare_tray
tray_session_folder

cat >"$work/inner.sh" <<INNER
#!/usr/bin/env bash
set -euo pipefail
$(tray_session_environment)
$(tray_session_trayer)
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
