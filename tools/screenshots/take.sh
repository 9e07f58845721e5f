#!/usr/bin/env bash
# Takes the README's screenshots of the real program: under Xvfb with trayer as the notification
# area, on the virtual keyboard with a fresh state, a user's clicks played with xdotool. The
# pictures go to docs/ (or the folder given).
#   tools/screenshots/take.sh [FOLDER]          (BUILD_DIR as for the other scripts)
# The click positions are those of the shipped skin's Main.ini.
set -euo pipefail
cd "$(dirname "$0")/../.."
out=$(cd "${1:-docs}" && pwd)
source tools/lib/tray-session.sh
tray_session_build quillfen
tray_session_folder

cat >"$work/inner.sh" <<INNER
#!/usr/bin/env bash
set -uo pipefail
$(tray_session_environment)
shot() { sleep 0.8; import -window root "\$1"; }
$(tray_session_trayer --tint 0x303030)
sleep 1
"$bin/quillfen" >/dev/null 2>&1 &
sleep 3
xdotool mousemove 1000 720
shot "$work/main.png"
# The lighting on, the zones effect: the zone colours on the keys.
xdotool mousemove 280 455 click 1; sleep 0.6
xdotool mousemove 437 453 click 1; sleep 0.6
xdotool mousemove 400 787 click 1; sleep 0.8
xdotool mousemove 1000 720
shot "$work/lighting.png"
# The notification-area menu.
xdotool mousemove 1267 784 click 3
shot "$work/tray.png"
xdotool key Escape; sleep 0.3
# The editor, opened on the Macros button.
xdotool mousemove 816 537 click 1
shot "$work/editor.png"
xdotool key Escape
quillfen_pid=\$(pgrep -n -f "$bin/quillfen")
kill -TERM "\$quillfen_pid"
sleep 1
kill %1 2>/dev/null
INNER
chmod +x "$work/inner.sh"
xvfb-run -a -s "-screen 0 1280x800x24" "$work/inner.sh"
# The window's area (the screen is larger than the window).
convert "$work/main.png" -crop 1010x570+125+75 +repage "$out/main-window.png"
convert "$work/lighting.png" -crop 1010x570+125+75 +repage "$out/main-window-lighting.png"
convert "$work/tray.png" -crop 480x230+800+570 +repage "$out/tray-menu.png"
convert "$work/editor.png" -crop 1010x570+125+75 +repage "$out/editor-over-main-window.png"
echo "screenshots in $out"
