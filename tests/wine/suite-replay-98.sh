# Windows 98 with the system's WNASPI32 and with the stand-in.
. "$here/replay.sh"
prefix win98
rm -f "$app/WNASPI32.dll"
replay "win98 with the system's WNASPI32" morvalith-probe.exe --capture capture.json -- morvalith-probe.exe \
  -- morvalith-probe.exe --explain
finish

prefix win98
export WINEDLLOVERRIDES="$base_overrides;wnaspi32=n"
replay "win98 with the stand-in ASPI manager" morvalith-probe.exe --capture capture.json -- morvalith-probe.exe \
  -- morvalith-probe.exe --explain
export MORVALITH_ASPI_DOUBLE=reject
replay "win98 with a unit that rejects the vendor command" \
  morvalith-probe.exe --capture capture.json -- morvalith-probe.exe -- morvalith-probe.exe --explain
# The capture records what the scan's requests answered once they finish.
export MORVALITH_ASPI_DOUBLE=pending
replay "win98 with requests finished later by another thread" e2e-host.exe capture capture.json aspi-pending \
  -- e2e-host.exe outcome aspi-pending -- e2e-host.exe explain aspi-pending
unset MORVALITH_ASPI_DOUBLE
finish
