#!/usr/bin/env bash
# End-to-end: the real Morvalith.dll loaded by real 32-bit hosts under Wine.
# usage: tests/wine/run.sh <windows build directory>
#   MORVALITH_WINE_SUITES=name  runs one suite (suite-name.sh) alone
#   MORVALITH_WINE_BASE=dir     copies its prefixes from a base prefix made
#                               before (tests/wine/base.sh), as CTest runs
#                               the suites side by side
#   MORVALITH_WINE_COW=1        gives each prefix a copy-on-write view of the
#                               base (an overlay mount; root) instead of a
#                               copy: in the emulated machine a copy of the
#                               600 MB prefix would cost minutes and memory
set -u
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/morvalith-wine.XXXXXX)
cleanup() {
  release_prefixes
  [ -n "${MORVALITH_KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
export WINEDEBUG=-all WINEARCH=win32 DISPLAY=
base_overrides="mscoree,mshtml="
export WINEDLLOVERRIDES=$base_overrides

# One prefix made once, copied for every scenario.
base=${MORVALITH_WINE_BASE:-$work/base}
if [ -z "${MORVALITH_WINE_BASE:-}" ]; then
  bash "$here/base.sh" "$base"
elif [ ! -f "$base/system.reg" ]; then
  echo "FAIL no base prefix in $base (tests/wine/base.sh makes it)"; exit 1
fi

# The one version (CMakeLists.txt), as the programs and the DLL print it.
version=$(sed -n 's/^project(Morvalith VERSION \([0-9.]*\).*/\1/p' "$here/../../CMakeLists.txt")
passed=0; failed=0; n=0
# prefix <version>: a fresh copy of the base prefix reporting that Windows version.
prefix() {
  n=$((n + 1))
  export WINEPREFIX=$work/p$n
  copy_prefix "$base" "$WINEPREFIX"
  set_version "$1"
  serve
  app=$work/app$n
  mkdir -p "$app"
  cp "$build"/*.exe "$build"/*.dll "$app"/
}
finish() { wineserver -k >/dev/null 2>&1; wineserver -w; export WINEDLLOVERRIDES=$base_overrides; }
. "$here/common.sh"

for suite in "$here"/suite-${MORVALITH_WINE_SUITES:-*}.sh; do . "$suite"; done

echo "wine: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
