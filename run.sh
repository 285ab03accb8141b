#!/usr/bin/env bash
# Installs what is missing, builds and starts Glimra. Without a graphical session it runs Glimra
# inside Xvfb, saves a screenshot of the main window to build/glimra-screenshot.png and quits.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/scripts/common.sh"

glimra_install_packages
glimra_build

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$GLIMRA_BUILD/Glimra" "$@"
fi

# Headless: a private X server and a private home, so the picture shows a first start and the
# user's own data is not touched.
screenshot="$GLIMRA_BUILD/glimra-screenshot.png"
home="$(mktemp -d)"
display=99
while [ -e "/tmp/.X${display}-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
glimra_pid=""
cleanup() {
    [ -n "$glimra_pid" ] && kill "$glimra_pid" 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$home"
}
trap cleanup EXIT

export DISPLAY=":$display"
for _ in $(seq 100); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done

mkdir -m 700 "$home/.runtime"
HOME="$home" XDG_RUNTIME_DIR="$home/.runtime" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" QT_QPA_PLATFORM=xcb \
    GLIMRA_UPDATE_URL="${GLIMRA_UPDATE_URL:-http://127.0.0.1:9/updates/}" "$GLIMRA_BUILD/Glimra" "$@" &
glimra_pid=$!

shown=""
for _ in $(seq 150); do
    if xwininfo -name Glimra 2>/dev/null | grep -q "IsViewable"; then shown=yes; break; fi
    sleep 0.2
done
if [ -z "$shown" ]; then
    echo "Glimra's window did not appear." >&2
    exit 1
fi
sleep 1 # let the first paint finish
import -window Glimra "$screenshot"

# A normal quit: SIGTERM runs the same sequence as "Quit" in the tray menu.
kill -TERM "$glimra_pid"
wait "$glimra_pid" && status=0 || status=$?
glimra_pid=""
echo "Glimra ran headless in Xvfb and quit with status $status."
echo "Screenshot of the main window: $screenshot"
exit "$status"
