#!/bin/sh
# Runs one X11 test executable under its own Xvfb server: run_x11_test.sh "<why X11>" <exe> [args]
# Without xvfb-run the test is skipped (exit 77) and says why it needs the X server.
why=$1
shift
if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "SKIPPED: xvfb-run is not installed (Debian package xvfb); this test needs a real X server: $why"
    exit 77
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$@"
