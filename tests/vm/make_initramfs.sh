#!/usr/bin/env bash
# Builds the test machine's initramfs: busybox, the given programs with the
# shared libraries they load (as ldd finds them on this machine), evdev.ko
# and uinput.ko of Debian's kernel, and /init, which runs COMMAND.
#
#   make_initramfs.sh OUTPUT MODULES_DIR PROGRAM... -- COMMAND [ARGS...]
#
# The programs land in /opt/vantix/, which is on the machine's PATH.
set -euo pipefail

[[ $# -ge 4 ]] || { echo "usage: $0 OUTPUT MODULES_DIR PROGRAM... -- COMMAND [ARGS...]" >&2; exit 2; }
output="$1"
modules_dir="$2"
shift 2
programs=()
while [[ $# -gt 0 && "$1" != "--" ]]; do programs+=("$1"); shift; done
[[ $# -ge 2 ]] || { echo "$0: no command after --" >&2; exit 2; }
shift

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
busybox="$(command -v busybox || true)"
# Only a static busybox works without its own libraries in the machine.
if [[ -z "$busybox" ]] || ldd "$busybox" >/dev/null 2>&1; then
  busybox=/bin/busybox
  if [[ ! -x "$busybox" ]] || ldd "$busybox" >/dev/null 2>&1; then
    echo "$0: no static busybox (Debian package busybox-static)" >&2
    exit 1
  fi
fi

root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
mkdir -p "$root"/{bin,dev,proc,sys,tmp,run,root,opt/vantix,lib/modules/vantix}
cp "$busybox" "$root/bin/busybox"
cp "$here/init.sh" "$root/init"
chmod 755 "$root/init"

# A module may be compressed; busybox's insmod wants it plain.
for name in evdev uinput; do
  found="$(find "$modules_dir" -name "$name.ko" -o -name "$name.ko.xz" -o -name "$name.ko.zst" | head -n 1)"
  [[ -n "$found" ]] || { echo "$0: $name.ko not found under $modules_dir" >&2; exit 1; }
  case "$found" in
    *.xz) xz -dc "$found" >"$root/lib/modules/vantix/$name.ko" ;;
    *.zst) zstd -dc "$found" >"$root/lib/modules/vantix/$name.ko" ;;
    *) cp "$found" "$root/lib/modules/vantix/$name.ko" ;;
  esac
done
# evdev first: uinput's devices get their event nodes from it.
mv "$root/lib/modules/vantix/evdev.ko" "$root/lib/modules/vantix/0-evdev.ko"

copy_with_path() {
  mkdir -p "$root$(dirname "$1")"
  cp -L "$1" "$root$1"
}
for program in "${programs[@]}"; do
  cp "$program" "$root/opt/vantix/"
  # "name => /path (addr)" and the loader's "/path (addr)".
  while read -r lib; do
    [[ -e "$root$lib" ]] || copy_with_path "$lib"
  done < <(ldd "$program" | awk '{ for (i = 1; i <= NF; ++i) if ($i ~ /^\//) print $i }')
done

{
  printf 'cd /tmp\n'
  printf '%q ' "$@"
  printf '\n'
} >"$root/run.cmd"

(cd "$root" && find . -print0 | "$busybox" cpio -o -0 -H newc -R 0:0 2>/dev/null) | gzip -1 >"$output"
