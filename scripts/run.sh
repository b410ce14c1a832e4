#!/usr/bin/env bash
# Sets the machine up, builds, and runs the configuration utility on your own
# data folder. The utility starts its device agent (hid) itself.
#   scripts/run.sh
# Without a display (no DISPLAY), the utility runs on a virtual X display
# (Xvfb) with a VNC server listening on 127.0.0.1 only; the script prints how
# to connect and keeps running until you press Ctrl+C.
# The build's messages go to stderr.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# What gets built and run: the window program; building it also builds what
# it needs beside it (the agent, the hook library, the skin).
target=vantix
program="$root/build/bin/vantix"

(
  cd "$root"
  bash scripts/deps.sh
  cmake --preset default
  cmake --build --preset default --parallel 2 --target "$target"
) >&2

if [[ -n "${DISPLAY:-}" ]]; then
  exec "$program" "$@"
fi

# No display: make one, and a way to see it.
display_number="${VANTIX_DISPLAY:-77}"
while [[ -e "/tmp/.X11-unix/X$display_number" || -e "/tmp/.X$display_number-lock" ]]; do
  display_number=$((display_number + 1))
done
vnc_port="${VANTIX_VNC_PORT:-5900}"

children=()
cleanup() {
  local pid
  for pid in "${children[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT INT TERM

Xvfb ":$display_number" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
children+=($!)
for _ in $(seq 50); do
  [[ -e "/tmp/.X11-unix/X$display_number" ]] && break
  sleep 0.1
done
export DISPLAY=":$display_number"

x11vnc -display "$DISPLAY" -localhost -rfbport "$vnc_port" -forever -shared -nopw -quiet \
  >/dev/null 2>&1 &
children+=($!)

"$program" "$@" &
children+=($!)
app_pid=$!

cat >&2 <<MSG
vantix runs on the virtual display $DISPLAY.
See it with a VNC viewer on this machine:   vncviewer 127.0.0.1::$vnc_port
From another machine, tunnel the port first: ssh -L $vnc_port:127.0.0.1:$vnc_port <this machine>
and point the viewer at 127.0.0.1::$vnc_port there. Ctrl+C stops everything.
MSG
wait "$app_pid"
