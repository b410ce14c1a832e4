#!/usr/bin/env bash
# Boots Debian's kernel (package linux-image-amd64) in qemu with an
# initramfs of the given programs and runs COMMAND in it as /init's child;
# exits with COMMAND's exit status. The machine's console is printed when it
# has stopped.
#
#   run_vm.sh [--timeout SECONDS] [--cpus N] [--icount] PROGRAM... -- COMMAND [ARGS...]
#
# Plain emulation (TCG): no KVM, which is absent or unusable on the build
# machines, so the same run works everywhere. One processor by default: a
# wake-up across emulated processors costs milliseconds on a busy host.
# --icount runs the machine on a clock of one nanosecond per instruction, so
# that its time no longer depends on how busy the host is (for measuring). VANTIX_VM_KERNEL names another
# vmlinuz; its modules are looked up in /lib/modules/ by its version.
set -euo pipefail

timeout=600
cpus=1
clock=()
while [[ $# -gt 0 ]]; do
  case "$1" in
    --timeout) timeout="$2"; shift 2 ;;
    --cpus) cpus="$2"; shift 2 ;;
    --icount) clock=(-icount shift=0,align=off,sleep=off); shift ;;
    *) break ;;
  esac
done
[[ $# -ge 3 ]] || { echo "usage: $0 [--timeout S] [--cpus N] [--icount] PROGRAM... -- COMMAND [ARGS...]" >&2; exit 2; }

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
kernel="${VANTIX_VM_KERNEL:-}"
if [[ -z "$kernel" ]]; then
  kernel="$(ls /boot/vmlinuz-6.1.0-*-amd64 2>/dev/null | sort -V | tail -n 1 || true)"
fi
if [[ -z "$kernel" || ! -r "$kernel" ]]; then
  echo "$0: no readable Debian kernel /boot/vmlinuz-6.1.0-*-amd64 (package linux-image-amd64)" >&2
  exit 1
fi
version="${kernel##*/vmlinuz-}"
modules_dir="/lib/modules/$version"
[[ -d "$modules_dir" ]] || { echo "$0: no modules for $version in $modules_dir" >&2; exit 1; }
command -v qemu-system-x86_64 >/dev/null ||
  { echo "$0: qemu-system-x86_64 missing (package qemu-system-x86)" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
bash "$here/make_initramfs.sh" "$work/initrd.gz" "$modules_dir" "$@"

console="$work/console.log"
: >"$console"
started=$SECONDS
# In the background, so that a runner stopped from outside (CTest's own
# limit, Ctrl+C) takes the machine with it instead of leaving it running.
qemu=
trap '[[ -n "$qemu" ]] && kill "$qemu" 2>/dev/null; exit 1' TERM INT HUP
set +e
timeout -k 10 "$timeout" qemu-system-x86_64 \
  -nodefaults -no-user-config -no-reboot \
  -accel tcg -machine pc -smp "$cpus" -m 1024 "${clock[@]}" \
  -display none -monitor none -serial "file:$console" \
  -kernel "$kernel" -initrd "$work/initrd.gz" \
  -append "console=ttyS0 panic=-1 quiet loglevel=3 rdinit=/init" &
qemu=$!
wait "$qemu"
qemu_status=$?
qemu=
set -e
# The console has carriage returns of the serial line.
tr -d '\r' <"$console"
echo "run_vm: kernel $version, machine stopped after $((SECONDS - started)) s"

if [[ $qemu_status -eq 124 || $qemu_status -eq 137 ]]; then
  echo "run_vm: the machine did not stop within $timeout s" >&2
  exit 1
fi
status="$(tr -d '\r' <"$console" | sed -n 's/^vantix-vm: exit status \([0-9]*\)$/\1/p' | tail -n 1)"
if [[ -z "$status" ]]; then
  echo "run_vm: the machine stopped without reporting the command's exit status (qemu status $qemu_status)" >&2
  exit 1
fi
exit "$status"
