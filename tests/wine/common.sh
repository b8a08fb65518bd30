# What the Wine suites of both sizes share: a display per suite, one check
# and its report, and device interfaces registered the way Wine's SetupAPI
# enumerates them. Sourced by run.sh (32-bit) and tests/wine64/run.sh, which
# set work, app, passed and failed; WINE names the loader (wine64 there).
# copy_prefix <base> <prefix>: a fresh prefix from the base: a copy, or with
# MORVALITH_WINE_COW=1 a copy-on-write view of it (an overlay mount; root),
# which release_prefixes unmounts.
views=(); prefixes=()
copy_prefix() {
  prefixes+=("$2")
  if [ -n "${MORVALITH_WINE_COW:-}" ]; then
    mkdir -p "$2" "$2.cow/upper" "$2.cow/work"
    mount -t overlay -o lowerdir="$1",upperdir="$2.cow/upper",workdir="$2.cow/work" overlay "$2" ||
      { echo "FAIL no copy-on-write view of $1"; exit 1; }
    views+=("$2")
  else
    cp -a "$1" "$2"
  fi
}
release_prefixes() {
  local p v
  for p in "${prefixes[@]}"; do WINEPREFIX=$p wineserver -k >/dev/null 2>&1; done
  for v in "${views[@]}"; do umount "$v" 2>/dev/null; done
}
# serve: the prefix's server started now and kept between its programs, so
# that none of them pays for its start (Wine's own programs and services,
# some seconds in the emulated machine) when the one before has ended; it
# ends a while after the last program, if finish does not end it before.
serve() { wineserver -p"$(scaled 30)"; }
# scaled <seconds>: a time-out for a real machine, made longer by
# MORVALITH_TIME_SCALE where everything runs slower (the emulated machine).
scaled() { echo $(( $1 * ${MORVALITH_TIME_SCALE:-1} )); }
# start_display <name>: a virtual display for one suite, given to every Wine
# process of it (the first one of a prefix to need a desktop starts the
# prefix's desktop process, which keeps the display it had); stop_display.
start_display() {
  Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb-$1.display" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$work/xvfb-$1.display" ] && break; sleep 0.1; done
  export DISPLAY=:$(head -1 "$work/xvfb-$1.display")
}
stop_display() { kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; export DISPLAY=; }
# expect <name> <condition command...>: one check that a command decides.
expect() {
  local name=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok   $name"; else failed=$((failed + 1)); echo "FAIL $name"; fi
}
# check <name> <expected exit> <expected output> [VAR=value...] <program> [args...]
# The output is compared byte for byte (the hosts put stdout in binary mode).
check() {
  local name=$1 want_rc=$2 want=$3; shift 3
  local vars=() out rc
  while [ $# -gt 0 ] && [[ $1 == *=* ]]; do vars+=("$1"); shift; done
  # A host that hangs fails its check instead of the whole run.
  (cd "$app" && env "${vars[@]}" timeout "$(scaled 120)" "${WINE:-wine}" "$@" >"$work/out" 2>/dev/null); rc=$?
  if [ -n "${text_mode:-}" ]; then out=$(tr -d '\r' <"$work/out"); else out=$(cat "$work/out"); fi
  # The folder the programs run from, as Windows names it, reads APP.
  out=${out//"Z:${app//\//\\}"/APP}
  if [ "$rc" = "$want_rc" ] && [ "$out" = "$want" ]; then
    passed=$((passed + 1)); echo "ok   $name"
  else
    failed=$((failed + 1)); echo "FAIL $name (exit $rc, expected $want_rc)"
    diff <(printf '%s\n' "$want") <(printf '%s\n' "$out") | sed 's/^/     /'
  fi
}

# set_version <Windows version as Wine names it>: the fresh prefix's version,
# written in its user registry before its server first starts: no Wine
# process is started for it (each costs seconds in the emulated machine).
set_version() {
  printf '\n[Software\\\\Wine] 0\n"Version"="%s"\n' "$1" >>"$WINEPREFIX/user.reg"
}
# reg_string <text>: text as a .reg file's string holds it.
reg_string() { local s=${1//\\/\\\\}; printf '%s' "${s//\"/\\\"}"; }
# reg_import <lines>: keys and values (a .reg file's lines) into the prefix's
# registry through one Wine process.
reg_import() {
  # On drive C: every prefix has (the ARM64 one has no Z: for the root).
  printf 'REGEDIT4\n\n%s\n' "$1" >"$WINEPREFIX/drive_c/morvalith-import.reg"
  "${WINE:-wine}" reg import 'C:\morvalith-import.reg'
}
# register_interface <interface class> <device instance> <setup class> <device path>:
# a device interface registered the way Wine's SetupAPI enumerates it.
register_interface() {
  local enum="HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\$2"
  local link="HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\DeviceClasses\\$1\\##?#${4#\\\\?\\}"
  reg_import "[$enum]
\"ClassGUID\"=\"$(reg_string "$3")\"
[$link]
\"DeviceInstance\"=\"$(reg_string "$2")\"
[$link\\#]
\"SymbolicLink\"=\"$(reg_string "$4")\"
[$link\\#\\Control]
\"Linked\"=dword:00000001"
} >/dev/null 2>&1
disk_class='{53f56307-b6bf-11d0-94f2-00a0c91efb8b}'
flash_disk='usbstor#disk&ven_generic&prod_flash_disk&rev_8.01#7&1a2b3c4d&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}'
# The flash disk, and its removable volume (Wine answers for its own device
# identifier; the test host answers the rest).
register_flash_disk() {
  register_interface "$disk_class" 'USBSTOR\Disk&Ven_Generic&Prod_Flash_Disk&Rev_8.01\7&1a2b3c4d&0' \
    '{4d36e967-e325-11ce-bfc1-08002be10318}' "\\\\?\\$flash_disk"
}
register_removable_volume() {  # [disk]: another USB disk's volume instead of the flash disk's
  local volume_class='{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}' disk=${1:-$flash_disk}
  register_interface "$volume_class" "STORAGE\\Volume\\_??_$(tr 'a-z' 'A-Z' <<<"$disk")" \
    '{71a27cdd-812a-11d0-bec7-08002be2092f}' "\\\\?\\storage#volume#_??_$disk#$volume_class"
}
# Another USB stick, whose volume sorts (and so enumerates) ahead of the flash disk's.
other_disk='usbstor#disk&ven_another&prod_stick&rev_1.00#5&0&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}'

