#!/usr/bin/env bash
# Runs a command inside a software-emulated x86_64 machine that runs 32-bit
# code, for a build machine that does not (scripts/machine.sh's emulated
# road): qemu-system-x86_64 under TCG boots Debian's own kernel over this
# machine's root file system (shared read-only over virtio-9p, with a
# memory overlay on top, so that the guest has every installed package),
# with the project folder shared read-write at its own path. One boot runs
# the whole command; its output and exit status come back here.
#
# usage: scripts/vm.sh [--timeout SECONDS] COMMAND...
#   The command runs in the project folder, as root, under bash. Exit
#   status: the command's; 125 when the machine could not be prepared or
#   started, or did not finish in time (after one retry), with the reason.
#   MORVALITH_VM_CPUS, MORVALITH_VM_MEMORY (MiB) size the machine;
#   MORVALITH_VM_CPU names its processor model (default max,-smap,-smep).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
timeout_s=3600
if [ "${1:-}" = --timeout ]; then timeout_s=$2; shift 2; fi
[ $# -gt 0 ] || { echo "usage: scripts/vm.sh [--timeout SECONDS] COMMAND..." >&2; exit 2; }
cache=$root/build/vm
cpus=${MORVALITH_VM_CPUS:-$(nproc)}
memory=${MORVALITH_VM_MEMORY:-8192}
fail() { echo "vm: $*" >&2; exit 125; }

# The kernel: Debian's own, fetched and unpacked, never installed (so no
# boot-loader hook runs and the build machine's own kernel is untouched).
prepare_kernel() {
  [ -f "$cache/kernel/vmlinuz" ] && return 0
  local package
  package=$(apt-cache depends linux-image-amd64 2>/dev/null | sed -n 's/^ *Depends: \(linux-image-[0-9].*\)$/\1/p' | head -1)
  [ -n "$package" ] || fail "no Debian kernel package found (apt-cache depends linux-image-amd64)"
  rm -rf "$cache/kernel" "$cache/deb" && mkdir -p "$cache/deb"
  (cd "$cache/deb" && apt-get download "$package" >/dev/null 2>&1) || fail "apt-get download $package failed"
  dpkg-deb -x "$cache"/deb/*.deb "$cache/deb/tree" || fail "could not unpack $package"
  # 32-bit programs need the kernel's IA-32 emulation.
  grep -q '^CONFIG_IA32_EMULATION=y' "$cache"/deb/tree/boot/config-* || fail "$package has no 32-bit support"
  mkdir -p "$cache/kernel"
  cp "$cache"/deb/tree/boot/vmlinuz-* "$cache/kernel/vmlinuz"
  mv "$cache"/deb/tree/lib/modules/* "$cache/kernel/modules"
  rm -rf "$cache/deb"
}

# The first stage: busybox, the modules for virtio, 9p and the overlay in
# the order their dependencies need, and an init that mounts the shared
# root with a memory overlay, the project folder, and starts the command.
prepare_initramfs() {
  [ -f "$cache/initrd.gz" ] && [ "$cache/initrd.gz" -nt "$0" ] && return 0
  local tree=$cache/initramfs
  rm -rf "$tree" && mkdir -p "$tree"/{bin,dev,proc,sys,mnt/root,mnt/lower,mnt/upper,modules}
  cp "$(command -v busybox)" "$tree/bin/busybox" || fail "busybox-static is not installed"
  file -L "$tree/bin/busybox" | grep -q 'statically linked' || fail "busybox is not the static one"
  python3 - "$cache/kernel/modules" "$tree/modules" virtio_pci 9pnet_virtio 9p overlay <<'PY' || fail "kernel modules missing"
import os, shutil, sys
base, out, wanted = sys.argv[1], sys.argv[2], sys.argv[3:]
paths = {}
for d, _, files in os.walk(base):
    for f in files:
        if f.endswith(".ko"):
            paths[f[:-3].replace("-", "_")] = os.path.join(d, f)
order = []
def add(name):
    name = name.replace("-", "_")
    if name in order or not name:
        return
    data = open(paths[name], "rb").read()
    at = data.find(b"\0depends=")
    deps = data[at + 9:data.index(b"\0", at + 9)].decode() if at >= 0 else ""
    for dep in filter(None, deps.split(",")):
        add(dep)
    order.append(name)
for name in wanted:
    add(name)
with open(os.path.join(out, "order"), "w") as f:
    for i, name in enumerate(order):
        shutil.copy(paths[name], os.path.join(out, "%02d-%s.ko" % (i, name)))
        f.write("%02d-%s.ko\n" % (i, name))
PY
  cat >"$tree/init" <<'INIT'
#!/bin/busybox sh
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
for m in $(cat /modules/order); do insmod /modules/$m || echo "vm: insmod $m failed"; done
work=$(sed -n 's/.*morvalith.work=\([^ ]*\).*/\1/p' /proc/cmdline)
mount -t 9p -o trans=virtio,version=9p2000.L,ro,msize=262144,cache=loose root /mnt/lower || { echo "vm: no shared root"; poweroff -f; }
mount -t tmpfs -o size=75% upper /mnt/upper
mkdir -p /mnt/upper/data /mnt/upper/work
mount -t overlay -o lowerdir=/mnt/lower,upperdir=/mnt/upper/data,workdir=/mnt/upper/work overlay /mnt/root ||
  { echo "vm: no overlay"; poweroff -f; }
mount -t tmpfs -o size=75% tmp /mnt/root/tmp
mount -t tmpfs run /mnt/root/run
# The project folder last: it may itself be under /tmp.
mkdir -p "/mnt/root$work"
mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144,cache=mmap work "/mnt/root$work" || { echo "vm: no project folder"; poweroff -f; }
for d in proc sys dev; do mount --move /$d /mnt/root/$d; done
mount -t devpts devpts /mnt/root/dev/pts 2>/dev/null
mkdir -p /mnt/root/dev/shm && mount -t tmpfs shm /mnt/root/dev/shm
exec switch_root /mnt/root /bin/bash "$work/build/vm/run/stage2"
INIT
  chmod +x "$tree/init"
  (cd "$tree" && find . | busybox cpio -o -H newc 2>/dev/null | gzip -1 >"$cache/initrd.gz") || fail "could not make the initramfs"
  rm -rf "$tree"
}

# The second stage, on the guest's own root: the devices bash and Wine
# expect, then the command, its exit status written for the host.
prepare_run() {
  local run=$cache/run
  rm -rf "$run" && mkdir -p "$run"
  printf '%q ' "$@" >"$run/command"
  cat >"$run/stage2" <<STAGE2
#!/bin/bash
# devtmpfs has no /dev/fd, /dev/stdin...: bash's process substitution needs them.
ln -sf /proc/self/fd /dev/fd; ln -sf /proc/self/fd/0 /dev/stdin
ln -sf /proc/self/fd/1 /dev/stdout; ln -sf /proc/self/fd/2 /dev/stderr
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8
hostname morvalith-vm
cd "$root"
echo "vm: up after \$(cut -d' ' -f1 /proc/uptime) s; running: \$(cat "$run/command")"
bash -c "\$(cat "$run/command")" </dev/null
echo \$? >"$run/status"
sync
echo o >/proc/sysrq-trigger
sleep 5
/bin/busybox poweroff -f
STAGE2
}

boot() {
  # -cpu max without SMAP and SMEP: with them, the guest's kernel oopses on
  # a 32-bit IRET and kills every 32-bit Wine process.
  timeout --kill-after=10 "$timeout_s" qemu-system-x86_64 -accel tcg,thread=multi -smp "$cpus" -m "$memory" \
    -cpu ${MORVALITH_VM_CPU:-max,-smap,-smep} -nographic -no-reboot -serial mon:stdio -monitor none \
    -kernel "$cache/kernel/vmlinuz" -initrd "$cache/initrd.gz" \
    -append "console=ttyS0 quiet panic=-1 morvalith.work=$root" \
    -nic none -fsdev local,id=root,path=/,security_model=passthrough,readonly=on,multidevs=remap -device virtio-9p-pci,fsdev=root,mount_tag=root \
    -fsdev local,id=work,path="$root",security_model=passthrough,multidevs=remap -device virtio-9p-pci,fsdev=work,mount_tag=work \
    </dev/null
}

command -v qemu-system-x86_64 >/dev/null || fail "qemu-system-x86_64 is not installed (scripts/install-deps.sh emulated)"
mkdir -p "$cache"
prepare_kernel
prepare_initramfs
for attempt in 1 2; do
  prepare_run "$@"
  start=$SECONDS
  boot | sed -u 's/\r//g'
  qemu_rc=${PIPESTATUS[0]}
  if [ -f "$cache/run/status" ]; then
    status=$(cat "$cache/run/status")
    echo "vm: the command exited $status after $((SECONDS - start)) s in the emulated machine"
    exit "$status"
  fi
  if [ "$qemu_rc" = 124 ] || [ "$qemu_rc" = 137 ]; then
    echo "vm: attempt $attempt did not finish within $timeout_s s (the machine hung)"
  else
    echo "vm: attempt $attempt ended without the command's status (qemu exit $qemu_rc)"
  fi
  [ "$attempt" = 1 ] && echo "vm: trying once more"
done
fail "the emulated machine did not run the command to its end, twice"
