# The field programs on the real loader. The live explanation's agreement
# check: only a load, or a refusal (error 1114), can agree with the
# explanation; a DLL that is missing or is no DLL at all tells nothing about
# the machine, and the probe says so.
agreement() {  # agreement <name> <expected exit> <expected last line>
  (cd "$app" && timeout "$(scaled 120)" wine morvalith-probe.exe --explain >"$work/agree.out" 2>&1); local rc=$?
  local last; last=$(tr -d '\r' <"$work/agree.out" | tail -n 1)
  if [ "$rc" = "$2" ] && [ "$last" = "$3" ]; then
    passed=$((passed + 1)); echo "ok   $1"
  else
    failed=$((failed + 1)); echo "FAIL $1 (exit $rc, expected $2): $last"
  fi
}
prefix winxp
agreement "agreement: a refusal (error 1114) agrees with an explanation that predicts it" 1 \
  "the real DLL agrees with the explanation: it refuses to load"
rm "$app/Morvalith.dll"
agreement "agreement: no Morvalith.dll is no agreement" 2 \
  "the real DLL could not be tested (Morvalith.dll was not found): no agreement can be judged"
grep -q 'looked in this program' <(tr -d '\r' <"$work/agree.out") || { failed=$((failed + 1)); echo "FAIL agreement: where it looked"; }
echo "not a DLL" >"$app/Morvalith.dll"
agreement "agreement: a file that is not a DLL is no agreement" 2 \
  "the real DLL could not be tested (the file is not a 32-bit Windows DLL): no agreement can be judged"
finish
prefix win98
export WINEDLLOVERRIDES="$base_overrides;wnaspi32=n"
agreement "agreement: a load agrees with an explanation that predicts it" 0 \
  "the real DLL agrees with the explanation: it loads"
finish

# Each program names itself; run without a file, morvalith-sim.exe says first
# that its machine is a built-in simulated one, not this PC.
first_line() {  # first_line <name> <expected exit> <expected first line> <program> [args...]
  local name=$1 want_rc=$2 want=$3; shift 3
  (cd "$app" && timeout "$(scaled 120)" wine "$@" >"$work/first.out" 2>&1); local rc=$?
  local got; got=$(tr -d '\r' <"$work/first.out" | head -n 1)
  if [ "$rc" = "$want_rc" ] && [ "$got" = "$want" ]; then passed=$((passed + 1)); echo "ok   $name"
  else failed=$((failed + 1)); echo "FAIL $name (exit $rc, expected $want_rc): $got"; fi
}
prefix winxp
first_line "morvalith-sim.exe without a file says first that it is not this PC" 0 \
  "machine: a demonstration machine built into this program (Windows XP with a flash disk), not this PC (Windows 5.1, platform 2)" \
  morvalith-sim.exe
got=$(tr -d '\r' <"$work/first.out" | tail -n 1)
if [ "$got" = "this was a demonstration machine, not this PC: to check this PC, run morvalith-check.exe (or morvalith-probe.exe --explain)" ]
then passed=$((passed + 1)); echo "ok   morvalith-sim.exe without a file says last that it was not this PC"
else failed=$((failed + 1)); echo "FAIL morvalith-sim.exe without a file, last line: $got"; fi
for program in morvalith-sim morvalith-probe; do
  first_line "$program.exe --version: its name and version, exit 0" 0 "$program.exe $version" $program.exe --version
done
first_line "morvalith-sim.exe --help names itself, exit 0" 0 "usage: morvalith-sim.exe [FILE]" morvalith-sim.exe --help
first_line "morvalith-sim.exe --bogus: its usage, exit 2" 2 "usage: morvalith-sim.exe [FILE]" morvalith-sim.exe --bogus
first_line "morvalith-probe.exe --help, exit 0" 0 "usage: morvalith-probe.exe [--capture FILE | --explain | --version]" \
  morvalith-probe.exe --help
first_line "morvalith-probe.exe --bogus: its usage, exit 2" 2 \
  "usage: morvalith-probe.exe [--capture FILE | --explain | --version]" morvalith-probe.exe --bogus
mkdir -p "$app/folder"
first_line "morvalith-probe.exe --capture to a folder says so" 2 \
  "morvalith-probe: folder: cannot be written: is a folder" morvalith-probe.exe --capture folder
# The capture's full path, which a customer reads out to support.
(cd "$app" && timeout "$(scaled 120)" wine morvalith-probe.exe --capture machine.json >"$work/first.out" 2>&1); rc=$?
got=$(tr -d '\r' <"$work/first.out" | head -n 1)
if [ "$rc" = 0 ] && [ "$got" = "capture: wrote Z:${app//\//\\}\\machine.json ($(stat -c %s "$app/machine.json") bytes)" ]
then passed=$((passed + 1)); echo "ok   morvalith-probe.exe --capture names the full path it wrote"
else failed=$((failed + 1)); echo "FAIL morvalith-probe.exe --capture (exit $rc): $got"; fi
rm "$app/morvalith-sim.exe"
(cd "$app" && timeout "$(scaled 120)" wine morvalith-probe.exe --explain >"$work/first.out" 2>&1); rc=$?
got=$(tr -d '\r' <"$work/first.out" | tail -n 1)
if [ "$rc" = 2 ] && [ "$got" = "morvalith-probe: morvalith-sim.exe is missing: put it in Z:${app//\//\\}, beside morvalith-probe.exe, and run the check again" ]
then passed=$((passed + 1)); echo "ok   morvalith-probe.exe --explain without morvalith-sim.exe says where to put it"
else failed=$((failed + 1)); echo "FAIL morvalith-probe.exe --explain without morvalith-sim.exe (exit $rc): $got"; fi
finish
