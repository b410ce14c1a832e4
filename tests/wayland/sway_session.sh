#!/bin/bash
# Runs one command inside a headless Wayland session of its own: Debian's
# sway with the headless backend and the pixman renderer (no GPU, no seat,
# no input devices) and Xwayland, as an unprivileged user (sway refuses
# root; as root the session and the command run as VANTIX_SWAY_USER, by
# default nobody, through setpriv).
#
#   tests/wayland/sway_session.sh [--size WxH] COMMAND [ARGS...]
#
# The command gets WAYLAND_DISPLAY, DISPLAY (Xwayland, already answering),
# SWAYSOCK (for swaymsg), XDG_RUNTIME_DIR, a HOME of its own,
# VANTIX_SWAY_DIR (a scratch folder it may write; its "session.log" holds
# sway's output) and VANTIX_SWAY_EXTENT (the output's size, for
# tests/wayland/wl_input.py, which types and moves the pointer through the
# compositor's seat). Variables named VANTIX_* and LANG/LC_* pass through.
# What the command leaves running in the session is ended with it.
# Files the command needs must be readable by that user.
#
# The exit status is the command's; 77 (CTest's skip code) with a line saying
# why when sway or Xwayland is not installed; 1 when the session does not
# start. VANTIX_SWAY_KEEP=1 keeps the scratch folder for a look afterwards.
set -u

size=1280x1024
if [ "${1:-}" = "--size" ]; then
  size=$2
  shift 2
fi
if [ $# -eq 0 ]; then
  echo "usage: $0 [--size WxH] COMMAND [ARGS...]" >&2
  exit 2
fi
for tool in sway swaymsg Xwayland xdpyinfo; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (Debian: apt-get install sway xwayland x11-utils)"
    exit 77
  fi
done

scratch=$(mktemp -d /tmp/vantix-sway.XXXXXX) || exit 1
chmod 755 "$scratch"
mkdir -m 700 "$scratch/run" && mkdir -m 755 "$scratch/home" "$scratch/work" || exit 1
as_user=()
if [ "$(id -u)" = 0 ]; then
  user=${VANTIX_SWAY_USER:-nobody}
  uid=$(id -u "$user") && gid=$(id -g "$user") || exit 1
  chown "$uid:$gid" "$scratch/run" "$scratch/home" "$scratch/work"
  as_user=(setpriv --reuid="$uid" --regid="$gid" --clear-groups)
fi

cat >"$scratch/sway.conf" <<EOF
output HEADLESS-1 resolution $size position 0 0 background #204060 solid_color
default_border none
default_floating_border none
focus_follows_mouse no
exec sh -c 'printf "%s\\n%s\\n%s\\n" "\$WAYLAND_DISPLAY" "\$DISPLAY" "\$SWAYSOCK" >"$scratch/work/.env.tmp" && mv "$scratch/work/.env.tmp" "$scratch/work/.env"'
EOF

session_env=(env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$scratch/home"
  XDG_RUNTIME_DIR="$scratch/run" VANTIX_SWAY_DIR="$scratch/work" VANTIX_SWAY_EXTENT="$size")
while IFS='=' read -r name value; do
  case $name in VANTIX_*|LANG|LC_*) session_env+=("$name=$value") ;; esac
done < <(env)

"${as_user[@]}" "${session_env[@]}" WLR_BACKENDS=headless WLR_RENDERER=pixman \
  WLR_LIBINPUT_NO_DEVICES=1 sway -c "$scratch/sway.conf" >"$scratch/work/session.log" 2>&1 &
sway_pid=$!

finish() {
  # What the command left running in the session (a program's agent in a
  # session of its own), then the compositor.
  for proc in /proc/[0-9]*; do
    if { tr '\0' '\n' <"$proc/environ"; } 2>/dev/null | grep -qx "XDG_RUNTIME_DIR=$scratch/run" &&
      [ "${proc#/proc/}" != "$sway_pid" ]; then
      kill "${proc#/proc/}" 2>/dev/null
    fi
  done
  kill "$sway_pid" 2>/dev/null
  wait "$sway_pid" 2>/dev/null
  if [ "${VANTIX_SWAY_KEEP:-0}" = 1 ]; then
    echo "session folder kept: $scratch" >&2
  else
    rm -rf "$scratch"
  fi
}
trap finish EXIT
trap 'exit 130' INT TERM

for _ in $(seq 100); do
  [ -s "$scratch/work/.env" ] && break
  kill -0 "$sway_pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$scratch/work/.env" ]; then
  echo "sway did not start; its output:" >&2
  cat "$scratch/work/session.log" >&2
  exit 1
fi
{ read -r wayland_display; read -r x_display; read -r sway_socket; } <"$scratch/work/.env"
session_env+=(WAYLAND_DISPLAY="$wayland_display" DISPLAY="$x_display" SWAYSOCK="$sway_socket")

# Xwayland starts on the first X connection; wait until it answers.
for _ in $(seq 100); do
  "${as_user[@]}" "${session_env[@]}" xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done

"${as_user[@]}" "${session_env[@]}" "$@"
