#!/usr/bin/env bash
# Makes the Wine prefix every scenario's prefix is copied from.
# usage: tests/wine/base.sh <folder>
set -u
rm -rf "$1"
export WINEPREFIX=$1 WINEDEBUG=-all WINEARCH=win32 DISPLAY= WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1
wineserver -w
[ -f "$1/system.reg" ] || { echo "FAIL wineboot made no prefix in $1"; exit 1; }
