#!/usr/bin/env bash
# Signs the release's Windows files with Authenticode (SHA-256), in place.
#   MORVALITH_SIGN_PFX       the code-signing certificate and key (a PFX file)
#   MORVALITH_SIGN_PASSWORD  its password
#   MORVALITH_SIGN_TIMESTAMP a time-stamp server's URL (optional; without one
#                            the signature ends with the certificate)
# usage: scripts/sign.sh [FILE...]   (default: the Windows build's DLL and programs)
# Then make the archive: cmake --build build/win --target archive
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
: "${MORVALITH_SIGN_PFX:?set MORVALITH_SIGN_PFX to the PFX file}"
: "${MORVALITH_SIGN_PASSWORD?set MORVALITH_SIGN_PASSWORD (empty for none)}"
command -v osslsigncode >/dev/null || { echo "sign.sh: osslsigncode is missing (apt-get install osslsigncode)" >&2; exit 2; }
[ $# -gt 0 ] || set -- "$root/build/win/Morvalith.dll" "$root/build/win/morvalith-probe.exe" "$root/build/win/morvalith-sim.exe" \
                   "$root/build/win/morvalith-check.exe"
stamp=()
[ -z "${MORVALITH_SIGN_TIMESTAMP:-}" ] || stamp=(-ts "$MORVALITH_SIGN_TIMESTAMP")
for file in "$@"; do
  # The password goes through a pipe, never the command line.
  osslsigncode sign -pkcs12 "$MORVALITH_SIGN_PFX" -readpass <(printf '%s' "$MORVALITH_SIGN_PASSWORD") -h sha256 \
    -n "Morvalith" "${stamp[@]}" -in "$file" -out "$file.signed" >/dev/null
  mv "$file.signed" "$file"
  echo "signed: $file"
done
