# Replay fidelity (the helpers of each suite-replay-*.sh): a machine captured by the Windows probe and replayed on the
# simulated machine by the host probe gives the outcome the real DLL gives on
# the captured machine: the load, the [LIB] lines, the letter and the key
# result. Where the real loader needs the test host's stand-ins (Wine cannot
# pass a SCSI command through), the capture runs inside that host, behind
# the same stand-ins.
# The 32-bit host build's: the replayed DLL's own size, with its Windows 9x road.
host_probe=${MORVALITH_HOST_PROBE:-$(cd "$build/.." && pwd)/host32/morvalith-sim}
outcome() {
  tr -d '\r' | sed -n -e 's/^load: .*refused.*/load: refused/p' -e 's/^load: .*loaded$/load: loaded/p' \
    -e '/^\[LIB\]/p' -e '/^GetUSBDriveLetter:/p' -e '/^GetIDKey:/p'
}
# replay <name> <capture program and arguments> -- <real program and arguments>
#        -- <live explanation program and arguments>
replay() {
  local name=$1 cap=() real=() live=(); shift
  while [ "$1" != -- ]; do cap+=("$1"); shift; done; shift
  while [ "$1" != -- ]; do real+=("$1"); shift; done; shift; live=("$@")
  rm -f "$app/capture.json"
  (cd "$app" && timeout "$(scaled 120)" wine "${cap[@]}" >"$work/cap.out" 2>&1)
  (cd "$app" && timeout "$(scaled 120)" wine "${real[@]}" >"$work/real.out" 2>/dev/null); local real_rc=$?
  local real_o replay_o problem=""
  real_o=$(outcome <"$work/real.out")
  if [ ! -f "$app/capture.json" ]; then problem="no capture written: $(head -c 300 "$work/cap.out")"
  else
    "$host_probe" "$app/capture.json" >"$work/replay.out" 2>&1
    "$host_probe" --explain "$app/capture.json" >"$work/explain.out" 2>&1; local explain_rc=$?
    replay_o=$(outcome <"$work/replay.out")
    [ -n "$real_o" ] || problem="the real DLL's outcome is empty"
    [ "$real_o" = "$replay_o" ] || problem="the replay differs from the real DLL"
    [ "$explain_rc" = "$real_rc" ] || [ "$real_rc" -gt 1 ] || problem="--explain exits $explain_rc, the real host $real_rc"
    # The Windows probe's own explanation of the live machine agrees with
    # the real DLL and reads as the host probe's explanation of the capture.
    (cd "$app" && timeout "$(scaled 120)" wine "${live[@]}" >"$work/live.out" 2>&1); local live_rc=$?
    grep -q "^the real DLL agrees with the explanation" <(tr -d '\r' <"$work/live.out") ||
      problem="the live explanation does not agree with the real DLL: $(tr -d '\r' <"$work/live.out" | tail -n 1)"
    [ "$live_rc" = "$real_rc" ] || problem="${problem:-the live explanation exits $live_rc, the real host $real_rc}"
    # The same explanation, but for the name of the file it was captured to.
    if ! diff <(tr -d '\r' <"$work/live.out" | sed '/^$/,$d' | sed '0,/^machine: /d') <(sed 1d "$work/explain.out") >"$work/live.diff"; then
      problem="${problem:-the live explanation differs from the replayed one: $(head -c 300 "$work/live.diff")}"
    fi
    # The stand-in disk's sector (bytes i * 7) must not be in the file.
    if grep -q '00070e151c23' "$app/capture.json"; then problem="the capture holds the sector's contents"; fi
  fi
  # MORVALITH_KEEP_CAPTURES=DIR keeps each capture and its explanation.
  if [ -n "${MORVALITH_KEEP_CAPTURES:-}" ] && [ -f "$app/capture.json" ]; then
    cp "$app/capture.json" "$MORVALITH_KEEP_CAPTURES/${name// /-}.json"
    cp "$work/explain.out" "$MORVALITH_KEEP_CAPTURES/${name// /-}.explain"
  fi
  if [ -z "$problem" ]; then
    passed=$((passed + 1)); echo "ok   replay: $name"
  else
    failed=$((failed + 1)); echo "FAIL replay: $name: $problem"
    diff <(printf '%s\n' "$real_o") <(printf '%s\n' "$replay_o") | sed 's/^/     /'
  fi
}

# The flash disk's removable volume under E:, so that GetUSBDriveLetter
# returns it on the real loader: through the parent's identifier on XP, the
# volume's own on Windows 7.
# (Windows 7 binds through the autorun volume F: as well.)
replay_volumes() {  # replay_volumes <version>
  local version=$1 mode=volume
  [ $version = win7 ] && mode=autorun+volume
  prefix $version
  register_flash_disk
  register_removable_volume
  replay "$version: the flash disk's removable volume under E:" e2e-host.exe capture capture.json $mode \
    -- e2e-host.exe outcome $mode -- e2e-host.exe explain $mode
  if grep -q '^GetUSBDriveLetter: E' <(tr -d '\r' <"$work/real.out"); then
    passed=$((passed + 1)); echo "ok   $version: GetUSBDriveLetter returns E on the real loader"
  else
    failed=$((failed + 1)); echo "FAIL $version: GetUSBDriveLetter on the real loader: $(grep GetUSB "$work/real.out")"
  fi
  # A volume name in the ANSI code page, not UTF-8: written, read back and
  # replayed as the same bytes.
  if [ $version = winxp ]; then
    replay "winxp: a volume name that is not UTF-8" e2e-host.exe capture capture.json volume+latin1 \
      -- e2e-host.exe outcome volume+latin1 -- e2e-host.exe explain volume+latin1
    if grep -q '^GetUSBDriveLetter: E' "$work/replay.out" && grep -q '%bytes%' "$app/capture.json"; then
      passed=$((passed + 1)); echo "ok   winxp: the replay finds E under that name"
    else
      failed=$((failed + 1)); echo "FAIL winxp: the replay of a name that is not UTF-8: $(grep GetUSB "$work/replay.out")"
    fi
  fi
  # Another USB stick's removable volume, enumerated first: each volume's
  # identifiers must be asked for its own device instance (the one the
  # interface detail's device record names), or the flash disk's volume is
  # recorded with the other's and the replay loses its letter.
  register_removable_volume "$other_disk"
  replay "$version: another removable volume enumerated ahead of the flash disk's" \
    e2e-host.exe capture capture.json $mode -- e2e-host.exe outcome $mode -- e2e-host.exe explain $mode
  if grep -q '^GetUSBDriveLetter: E' <(tr -d '\r' <"$work/real.out") && grep -q '^GetUSBDriveLetter: E' "$work/replay.out" &&
     grep -qi 'ven_another' "$app/capture.json"; then
    passed=$((passed + 1)); echo "ok   $version: with two removable volumes the real DLL and the replay both find E"
  else
    failed=$((failed + 1)); echo "FAIL $version: two removable volumes: real $(grep GetUSB "$work/real.out"), replay $(grep GetUSB "$work/replay.out")"
  fi
  finish
}
