#!/usr/bin/env bash
# Installs the Debian packages the builds and the suites need. Idempotent.
# usage: install-deps.sh host       the native host build (the probe)
#        install-deps.sh all        everything the test command runs
#        install-deps.sh emulated   what the emulated road adds (qemu-user),
#                                   on a machine that runs no 32-bit code
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
want_host=(cmake ninja-build g++ googletest libgtest-dev nlohmann-json3-dev)
# The 32-bit host build (-m32); for a machine that runs no 32-bit code,
# qemu-user (the 32-bit host suites) and an emulated machine (scripts/vm.sh:
# the 32-bit Wine suites), which boots Debian's own kernel, fetched then.
want_host32=(g++-multilib libgtest-dev:i386)
want_emulated=(qemu-user-static qemu-system-x86 busybox-static)
want_win=(g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-x86-64-dev
          binutils-mingw-w64-x86-64 file python3 osslsigncode openssl)
# The check window's languages under Wine: a font with Chinese, Japanese and
# Korean (WenQuanYi Micro Hei has all three), and the locales' sources
# (the suites make the locales they need with localedef, in the build folder).
want_wine=(wine wine32:i386 wine64 xauth xvfb imagemagick fonts-wqy-microhei locales)
# Consumers beyond MinGW: the MSVC-format import library and a clang-cl
# consumer (clang, lld, llvm), and the declarations for other languages
# (C# with mcs and monodis, Free Pascal).
want_consumers=(clang clang-tools lld llvm mono-mcs mono-utils fp-compiler fp-units-rtl)
# The ARM64 build (clang, lld and llvm above, mingw-w64's headers with the
# MinGW packages) and ARM64 Wine, whose root scripts/arm64-wine.sh unpacks
# from Debian's arm64 packages and runs under qemu-user.
want_arm64=(qemu-user-static)
mode="${1:-all}"
pkgs=("${want_host[@]}")
[ "$mode" = emulated ] && pkgs=("${want_emulated[@]}")
if [ "$mode" = "all" ]; then
  pkgs+=("${want_host32[@]}" "${want_win[@]}" "${want_wine[@]}" "${want_consumers[@]}" "${want_arm64[@]}")
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
fi
for p in "${pkgs[@]}"; do have "$p" || need+=("$p"); done
if [ "${#need[@]}" -gt 0 ]; then
  echo "installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
