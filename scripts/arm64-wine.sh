#!/usr/bin/env bash
# 64-bit ARM Wine on an x86_64 machine: Debian's wine64:arm64 (Wine 8.0) in a
# root unpacked from Debian's arm64 packages, its programs run by
# qemu-aarch64-static. The root and a prefix made by wineboot are kept in a
# cache folder that outlives a clone, keyed by the packages' versions.
#   arm64-wine.sh prepare        make (or find) the root and its prefix; the
#                                last line names the cache folder
#   arm64-wine.sh run CMD...     run CMD with wine64, wine and wineserver of
#                                the root first on PATH, ARM64_WINE_BASE the
#                                prefix to copy
#   arm64-wine.sh can-run        exit 0 when this machine can (qemu-user and
#                                a namespace of its own), else 125 and why
#   arm64-wine.sh kept           says whether a root and prefix are kept
# Every program of the root is run through a binfmt_misc handler for
# aarch64 that exists in a user and mount namespace of its own (Linux 6.7 or
# later), so the machine's own handlers are never touched: Wine starts its
# server and every Windows process by exec, which only binfmt_misc can route
# to qemu.
#   MORVALITH_ARM64_CACHE=dir   where the roots live (default: the user's cache)
set -euo pipefail
cache=${MORVALITH_ARM64_CACHE:-${XDG_CACHE_HOME:-${HOME:-/var/tmp}/.cache}/morvalith/arm64-wine}
qemu=$(command -v qemu-aarch64-static || true)
# Wine and what its loader, its server and its X11 driver link (the rest it
# opens only when present). No fonts: the boxes are read, not looked at.
packages=(wine64 libwine libc6 libgcc-s1 libunwind8 liblzma5 libx11-6 libxext6 libxcb1 libxau6 libxdmcp6
          libbsd0 libmd0)
say() { echo "arm64-wine: $*" >&2; }

# A private apt for arm64 packages: its own lists and state under the cache,
# the system's Debian release and archive keys, no lock on the system's apt.
apt_private() {
  local d=$cache/apt
  mkdir -p "$d/lists/partial" "$d/cache/archives/partial" "$d/parts"
  : >"$d/status"
  local suite; suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
  local key=/usr/share/keyrings/debian-archive-keyring.gpg mirror=${MORVALITH_DEBIAN_MIRROR:-http://deb.debian.org}
  printf 'deb [arch=arm64 signed-by=%s] %s/debian %s main\n' "$key" "$mirror" "$suite" "$key" "$mirror" "$suite-updates" \
    >"$d/sources.list"
  printf 'deb [arch=arm64 signed-by=%s] %s/debian-security %s-security main\n' "$key" "$mirror" "$suite" >>"$d/sources.list"
  apt_options=(-o Dir::Etc::SourceList="$d/sources.list" -o Dir::Etc::SourceParts="$d/parts"
               -o Dir::State::Lists="$d/lists" -o Dir::Cache="$d/cache" -o Dir::State::status="$d/status"
               -o APT::Architecture=arm64 -o APT::Architectures::=arm64 -o Debug::NoLocking=1
               -o Acquire::Languages=none -o APT::Sandbox::User=root
               -o Dir::Cache::pkgcache="$d/cache/pkgcache.bin" -o Dir::Cache::srcpkgcache="$d/cache/srcpkgcache.bin")
}

# in_namespace CMD...: CMD with the aarch64 handler registered for it alone.
in_namespace() {
  unshare --user --map-root-user --mount bash -c '
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null || {
      echo "arm64-wine: no binfmt_misc of its own in a user namespace (Linux 6.7 or later needed; this is $(uname -r))" >&2
      exit 125; }
    magic="\x7f\x45\x4c\x46\x02\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\xb7\x00"
    mask="\xff\xff\xff\xff\xff\xff\xff\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff"
    echo ":qemu-aarch64:M::$magic:$mask:$0:F" >/proc/sys/fs/binfmt_misc/register || exit 125
    shift; exec "$@"' "$qemu" - "$@"
}

prepare() {
  [ -n "$qemu" ] || { say "qemu-aarch64-static is not installed"; return 125; }
  # One maker at a time (two clones on one machine share the cache).
  mkdir -p "$cache"
  exec 9>"$cache/.lock"
  flock 9
  apt_private
  local start=$SECONDS
  # The package lists once a day; without the network, the newest root made.
  if [ -z "$(find "$cache/apt/lists" -maxdepth 1 -name '*Packages*' -mmin -1440 2>/dev/null)" ] &&
     ! apt-get "${apt_options[@]}" -qq update >/dev/null 2>&1; then
    root=$(ls -dt "$cache"/root-*/.complete 2>/dev/null | head -1)
    [ -n "$root" ] || { say "no arm64 package lists (apt-get update failed) and no root made before"; return 1; }
    root=${root%/.complete}
    say "apt-get update failed: the root made before, $root"
  else
    # The root's name: the versions it is made of.
    local versions
    versions=$(apt-cache "${apt_options[@]}" show --no-all-versions "${packages[@]}" |
               awk '/^Package: / { p = $2 } /^Version: / { print p "=" $2 }')
    root=$cache/root-$(sha256sum <<<"$versions" | cut -c1-16)
  fi
  if [ ! -f "$root/.complete" ]; then
    say "making the arm64 root $root"
    rm -rf "$root" "$root.debs"; mkdir -p "$root.debs"
    (cd "$root.debs" && apt-get "${apt_options[@]}" -qq download $versions >/dev/null 2>&1) ||
      { say "could not download: $versions"; return 1; }
    for deb in "$root.debs"/*.deb; do dpkg-deb -x "$deb" "$root"; done
    rm -rf "$root.debs"
    # Debian's wineserver script runs /usr/lib/wine/wineserver64 by its
    # absolute path, which outside a chroot is the machine's own (x86_64)
    # server: this root's instead.
    printf '#!/bin/sh\nexec %s/usr/lib/wine/wineserver64 -p0 "$@"\n' "$root" >"$root/usr/lib/wine/wineserver"
    printf '%s\n' "$versions" >"$root/.versions"
    touch "$root/.complete"
    say "root made in $((SECONDS - start)) s ($(du -sm "$root" | cut -f1) MiB)"
  fi
  if [ ! -f "$root/prefix/system.reg" ]; then
    local t=$SECONDS
    rm -rf "$root/prefix"
    in_namespace env QEMU_LD_PREFIX="$root" WINEPREFIX="$root/prefix" WINEDEBUG=-all DISPLAY= \
      WINEDLLOVERRIDES="mscoree,mshtml=" bash -c '"$0/usr/lib/wine/wine64" wineboot -i >/dev/null 2>&1;
                                             "$0/usr/lib/wine/wineserver" -w' "$root" || true
    [ -f "$root/prefix/system.reg" ] || { say "wineboot made no prefix"; return 1; }
    say "prefix made in $((SECONDS - t)) s"
  fi
  echo "$root"
}

run() {
  root=$(prepare | tail -1) || return $?
  local bin=$root/.bin
  mkdir -p "$bin"
  # The names the suites call, for this root's ARM64 Wine.
  ln -sf "$root/usr/lib/wine/wine64" "$bin/wine64"
  ln -sf "$root/usr/lib/wine/wine64" "$bin/wine"
  ln -sf "$root/usr/lib/wine/wineserver" "$bin/wineserver"
  in_namespace env QEMU_LD_PREFIX="$root" PATH="$bin:$PATH" ARM64_WINE_BASE="$root/prefix" "$@"
}

can_run() {
  [ -n "$qemu" ] || { echo "qemu-aarch64-static is not installed"; return 125; }
  in_namespace true 2>&1 || return 125
}

kept() {
  if ls "$cache"/root-*/prefix/system.reg >/dev/null 2>&1; then echo "kept from an earlier run"
  else echo "made in this run"; fi
}

case ${1:-} in
  prepare) prepare ;;
  run) shift; run "$@" ;;
  can-run) can_run ;;
  kept) kept ;;
  *) echo "usage: arm64-wine.sh prepare | run CMD... | can-run | kept" >&2; exit 2 ;;
esac
