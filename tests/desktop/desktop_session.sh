#!/bin/bash
# Runs one command inside a headless desktop session of its own, KDE's
# (kwin_wayland --virtual --xwayland) or GNOME's (gnome-shell --headless
# with Xwayland), as an unprivileged user: as root the session and the
# command run as VANTIX_DESKTOP_USER (default nobody) through setpriv.
#
#   tests/desktop/desktop_session.sh kde|gnome [--extension DIR] COMMAND [ARGS...]
#
# Each session has a private session bus, and a private system bus (GNOME
# Shell gives up without one). --extension installs the GNOME Shell
# extension of DIR (its metadata.json names it) into a private data folder
# and enables it before the shell starts.
#
# The command gets DBUS_SESSION_BUS_ADDRESS, WAYLAND_DISPLAY, DISPLAY and
# XAUTHORITY (Xwayland, already answering), XDG_CURRENT_DESKTOP,
# XDG_RUNTIME_DIR, a HOME of its own and VANTIX_DESKTOP_DIR (a scratch
# folder it may write; "session.log" there is the compositor's output).
# Variables named VANTIX_* and LANG/LC_* pass through. What the command
# leaves running in the session is ended with it.
#
# The exit status is the command's; 77 (CTest's skip code) with a line
# saying why when the compositor is not installed; 1 when the session does
# not start. VANTIX_DESKTOP_KEEP=1 keeps the scratch folder.
set -u

desktop=${1:-}
shift
extension=
if [ "${1:-}" = "--extension" ]; then
  extension=$2
  shift 2
fi
case $desktop in
  kde) tools=(kwin_wayland Xwayland xdpyinfo dbus-daemon) package=kwin-wayland ;;
  gnome) tools=(gnome-shell Xwayland xdpyinfo dbus-daemon gsettings busctl) package=gnome-shell ;;
  *) tools=() ;;
esac
if [ ${#tools[@]} -eq 0 ] || [ $# -eq 0 ]; then
  echo "usage: $0 kde|gnome [--extension DIR] COMMAND [ARGS...]" >&2
  exit 2
fi
for tool in "${tools[@]}"; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (Debian: apt-get install $package xwayland x11-utils dbus-daemon)"
    exit 77
  fi
done

scratch=$(mktemp -d /tmp/vantix-desktop.XXXXXX) || exit 1
chmod 755 "$scratch"
mkdir -m 700 "$scratch/run" && mkdir -m 755 "$scratch/home" "$scratch/work" || exit 1
as_user=()
if [ "$(id -u)" = 0 ]; then
  user=${VANTIX_DESKTOP_USER:-nobody}
  uid=$(id -u "$user") && gid=$(id -g "$user") || exit 1
  chown "$uid:$gid" "$scratch/run" "$scratch/home" "$scratch/work"
  as_user=(setpriv --reuid="$uid" --regid="$gid" --clear-groups)
fi
run="$scratch/run"
log="$scratch/work/session.log"

session_env=(env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$scratch/home" XDG_RUNTIME_DIR="$run"
  DBUS_SESSION_BUS_ADDRESS="unix:path=$run/bus" DBUS_SYSTEM_BUS_ADDRESS="unix:path=$run/system_bus"
  VANTIX_DESKTOP_DIR="$scratch/work")
while IFS='=' read -r name value; do
  case $name in VANTIX_*|LANG|LC_*) session_env+=("$name=$value") ;; esac
done < <(env)

pids=()
finish() {
  # What the command left running in the session, then the compositor and
  # the buses.
  for proc in /proc/[0-9]*; do
    if { tr '\0' '\n' <"$proc/environ"; } 2>/dev/null | grep -qx "XDG_RUNTIME_DIR=$run"; then
      case " ${pids[*]} " in *" ${proc#/proc/} "*) ;; *) kill "${proc#/proc/}" 2>/dev/null ;; esac
    fi
  done
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null
    wait "${pids[i]}" 2>/dev/null
  done
  if [ "${VANTIX_DESKTOP_KEEP:-0}" = 1 ]; then
    echo "session folder kept: $scratch" >&2
  else
    rm -rf "$scratch"
  fi
}
trap finish EXIT
trap 'exit 130' INT TERM

as_session() { "${as_user[@]}" "${session_env[@]}" "$@"; }

for bus in bus system_bus; do
  as_session dbus-daemon --session --nofork --address="unix:path=$run/$bus" >>"$scratch/work/bus.log" 2>&1 &
  pids+=($!)
done
for _ in $(seq 50); do
  [ -S "$run/bus" ] && [ -S "$run/system_bus" ] && break
  sleep 0.1
done

if [ "$desktop" = kde ]; then
  # Debian gives kwin_wayland a file capability that a container's bounding
  # set may lack (exec fails with EPERM); a plain copy runs without it.
  cp /usr/bin/kwin_wayland "$scratch/kwin_wayland"
  # KWin starts the session command once Xwayland runs; it tells the
  # environment it got.
  cat >"$scratch/session" <<EOF2
#!/bin/sh
printf '%s\n%s\n%s\n' "\$WAYLAND_DISPLAY" "\$DISPLAY" "\${XAUTHORITY:-}" >"$scratch/work/.env.tmp"
mv "$scratch/work/.env.tmp" "$scratch/work/.env"
exec sleep infinity
EOF2
  chmod 755 "$scratch/session"
  as_session XDG_CURRENT_DESKTOP=KDE QT_QPA_PLATFORM=wayland "$scratch/kwin_wayland" --virtual --xwayland \
    --no-lockscreen --width 1280 --height 800 --socket vantix-kwin --exit-with-session "$scratch/session" \
    >"$log" 2>&1 &
  pids+=($!)
  session_env+=(XDG_CURRENT_DESKTOP=KDE)
else
  if [ -n "$extension" ]; then
    uuid=$(sed -n 's/.*"uuid": *"\([^"]*\)".*/\1/p' "$extension/metadata.json")
    target="$scratch/home/.local/share/gnome-shell/extensions/$uuid"
    mkdir -p "$target" && cp "$extension"/* "$target/" && chmod -R a+rX "$scratch/home" &&
      chown -R "$(stat -c %u:%g "$scratch/run")" "$scratch/home" || exit 1
    as_session gsettings set org.gnome.shell enabled-extensions "['$uuid']" || exit 1
  fi
  as_session XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland gnome-shell --headless --wayland \
    --virtual-monitor 1280x800 --wayland-display vantix-gnome >"$log" 2>&1 &
  pids+=($!)
  session_env+=(XDG_CURRENT_DESKTOP=GNOME)
  # The shell tells its X display in its log, and keeps the Xwayland
  # authority in the runtime folder.
  for _ in $(seq 200); do
    x_display=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$log")
    started=$(grep -c "GNOME Shell started" "$log")
    if [ -n "$x_display" ] && [ "$started" != 0 ]; then
      printf '%s\n%s\n%s\n' vantix-gnome "$x_display" "$(ls "$run"/.mutter-Xwaylandauth.* 2>/dev/null | head -1)" \
        >"$scratch/work/.env"
      break
    fi
    kill -0 "${pids[-1]}" 2>/dev/null || break
    sleep 0.1
  done
fi

for _ in $(seq 200); do
  [ -s "$scratch/work/.env" ] && break
  kill -0 "${pids[-1]}" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$scratch/work/.env" ]; then
  echo "the $desktop session did not start; its output:" >&2
  cat "$log" >&2
  exit 1
fi
{ read -r wayland_display; read -r x_display; read -r x_authority; } <"$scratch/work/.env"
session_env+=(WAYLAND_DISPLAY="$wayland_display" DISPLAY="$x_display" XAUTHORITY="$x_authority")

for _ in $(seq 100); do
  as_session xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done

if [ "$desktop" = gnome ]; then
  # The shell starts in its overview, where no window has the focus; the
  # user leaves it first.
  as_session busctl --user set-property org.gnome.Shell /org/gnome/Shell org.gnome.Shell OverviewActive b false
fi

as_session "$@"
