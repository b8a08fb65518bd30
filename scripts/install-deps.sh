#!/usr/bin/env bash
# Installs the Debian packages both builds and the Wine suite need. Idempotent.
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
want_host=(cmake g++ g++-multilib googletest nlohmann-json3-dev)
want_win=(g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686 file python3 osslsigncode openssl)
want_wine=(wine wine32:i386 xauth xvfb imagemagick)
# Consumers beyond MinGW: the MSVC-format import library and a clang-cl
# consumer (clang, lld, llvm), and the declarations for other languages
# (C# with mcs and monodis, Free Pascal).
want_consumers=(clang clang-tools lld llvm mono-mcs mono-utils fp-compiler fp-units-rtl)
mode="${1:-all}"
pkgs=("${want_host[@]}")
if [ "$mode" = "all" ]; then
  pkgs+=("${want_win[@]}" "${want_wine[@]}" "${want_consumers[@]}")
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
