#!/usr/bin/env bash
# Sets the machine up, builds, and runs the configuration utility on your own
# data folder, with its device agent (hid).
#   scripts/run.sh [--installed] [vantix options]
# --installed runs the copy the package (or a prefix install) put on PATH,
# without building anything.
# Without a display (no DISPLAY), the utility runs on a virtual X display
# (Xvfb) with a VNC server listening on 127.0.0.1 only, behind a password
# made for this run; the script prints how to connect and keeps running until
# you press Ctrl+C, which also stops the agent it started.
# The build's messages go to stderr.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

installed=0
if [[ "${1:-}" == "--installed" ]]; then
  installed=1
  shift
fi

if ((installed)); then
  program="$(command -v vantix || true)"
  if [[ -z "$program" ]]; then
    echo "run.sh: no installed vantix on PATH (install the package, or run without --installed)" >&2
    exit 1
  fi
  # The agent lives in the program folder, beside the real program that
  # the link on PATH points to.
  agent="$(dirname "$(readlink -f "$program")")/hid"
else
  # Building the window program also builds what it needs beside it (the
  # agent, the hook library, the skin).
  (
    cd "$root"
    bash scripts/deps.sh
    cmake --preset default
    cmake --build --preset default --parallel 2 --target vantix
  ) >&2
  program="$root/build/bin/vantix"
  agent="$root/build/bin/hid"
fi

children=()
cleanup() {
  local pid
  # A second Ctrl+C must not cut the clean-up short.
  trap '' INT TERM
  # Newest first: the window, then the agent, then the display it drew on.
  for ((i = ${#children[@]} - 1; i >= 0; i--)); do
    pid=${children[i]}
    kill "$pid" 2>/dev/null || continue
    # The agent takes its socket away on SIGTERM; give it the moment it needs.
    for _ in $(seq 30); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
  done
  # The window leaves its socket behind when it is stopped by a signal; the
  # window this script started was the only one that could own it.
  if ((app_started)) && ! kill -0 "$app_pid" 2>/dev/null; then
    rm -f "$endpoint_folder/Corvane II Gaming Mouse"
  fi
}
app_started=0
app_pid=0
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

if [[ -n "${XDG_RUNTIME_DIR:-}" ]]; then
  endpoint_folder="$XDG_RUNTIME_DIR/corvane-gaming-mouse"
else
  endpoint_folder="/tmp/corvane-gaming-mouse-$(id -u)"
fi

# Start the agent here, unless one already runs, so that Ctrl+C can stop it
# again; the utility finds it and starts none of its own.
start_agent() {
  [[ -x "$agent" ]] || return 0
  if agent_running; then return 0; fi
  setsid "$agent" 2>/dev/null &
  children+=($!)
  for _ in $(seq 50); do
    agent_running && break
    sleep 0.1
  done
}
# The agent holds a lock on its lock file for as long as it runs.
agent_running() {
  local lock="$endpoint_folder/Corvane_II_GamingMouse_HID.lock"
  [[ -f "$lock" ]] || return 1
  ! flock -n "$lock" true 2>/dev/null
}

if [[ -n "${DISPLAY:-}" ]]; then
  start_agent
  "$program" "$@" &
  app_pid=$!
  children+=("$app_pid")
  app_started=1
  wait "$app_pid"
  exit $?
fi

# No display: make one, and a way to see it.
display_number="${VANTIX_DISPLAY:-77}"
while [[ -e "/tmp/.X11-unix/X$display_number" || -e "/tmp/.X$display_number-lock" ]]; do
  display_number=$((display_number + 1))
done

port_taken() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
wanted_port="${VANTIX_VNC_PORT:-5900}"
vnc_port="$wanted_port"
while port_taken "$vnc_port"; do
  vnc_port=$((vnc_port + 1))
done
if [[ "$vnc_port" != "$wanted_port" ]]; then
  echo "VNC port $wanted_port is taken; using $vnc_port." >&2
fi

# A password for this run only, in a file only this user can read (not on
# the command line, where every user could see it with ps).
secrets="$(mktemp -d)"
chmod 700 "$secrets"
trap 'cleanup; rm -rf "$secrets"' EXIT
# (VNC passwords stop at eight characters.) No reader that quits early in
# the pipe: pipefail would count its writer's SIGPIPE as a failure.
password="$(head -c 48 /dev/urandom | base64 | tr -dc 'A-Za-z0-9')"
password="${password:0:8}"
printf '%s\n' "$password" >"$secrets/passwd"
chmod 600 "$secrets/passwd"

Xvfb ":$display_number" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
children+=($!)
for _ in $(seq 50); do
  [[ -e "/tmp/.X11-unix/X$display_number" ]] && break
  sleep 0.1
done
export DISPLAY=":$display_number"

x11vnc -display "$DISPLAY" -localhost -rfbport "$vnc_port" -forever -shared \
  -passwdfile "$secrets/passwd" -quiet >/dev/null 2>&1 &
children+=($!)

start_agent
"$program" "$@" &
app_pid=$!
children+=("$app_pid")
app_started=1

cat >&2 <<MSG
vantix runs on the virtual display $DISPLAY.
See it with a VNC viewer on this machine:   vncviewer 127.0.0.1::$vnc_port
The password, for this run only:            $password
From another machine, tunnel the port first: ssh -L $vnc_port:127.0.0.1:$vnc_port <this machine>
and point the viewer at 127.0.0.1::$vnc_port there. Ctrl+C stops everything.
MSG
wait "$app_pid"
