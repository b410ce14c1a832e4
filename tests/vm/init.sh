#!/bin/busybox sh
# /init of the test machine: mounts what the input layer and the programs
# need, loads evdev and uinput, runs the command the runner put in /run.cmd
# and reports its exit status on the serial console, then powers off.
/bin/busybox --install -s /bin
export PATH=/bin:/opt/vantix
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mkdir -p /dev/pts /tmp /run /root
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
# Kernel chatter would split the test's lines on the console.
echo 1 >/proc/sys/kernel/printk
for module in /lib/modules/vantix/*.ko; do
  insmod "$module" || echo "vantix-vm: cannot load $module"
done
export HOME=/root TMPDIR=/tmp
echo "vantix-vm: booted in $(cut -d' ' -f1 /proc/uptime) s"
sh /run.cmd
status=$?
echo "vantix-vm: exit status $status"
sync
poweroff -f
