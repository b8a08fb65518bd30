# The check window's helpers, sourced by each suite-check-*.sh: morvalith-check.exe
# as a customer meets it, started as Explorer starts it (through the shell: a
# GUI program with no console, no standard handles and no arguments), its
# window read from its controls and photographed (build/win/screenshots).
# Each suite has a virtual display of its own (stop_display ends it); one
# that has its display already keeps it. MORVALITH_BITS=64: the x64 window,
# under WINE (wine64).
[ -n "${DISPLAY:-}" ] || start_display check
shots=$build/screenshots
mkdir -p "$shots"
# start_check: morvalith-check.exe started as Explorer starts it, in the
# background (its pid in check_pid).
start_check() {
  (cd "$app" && timeout "$(scaled 180)" "${WINE:-wine}" start /wait /unix "$app/morvalith-check.exe" >/dev/null 2>&1) &
  check_pid=$!
}
# use_locale <language code>: the Wine processes started after it run in
# that language's locale (its display language and ANSI code page), made
# once with localedef in the build folder (the system's locales are not
# needed, nor changed).
use_locale() {
  local name
  case $1 in
    zh-CN) name=zh_CN ;; zh-TW) name=zh_TW ;; ja) name=ja_JP ;; ko) name=ko_KR ;;
    de) name=de_DE ;; fr) name=fr_FR ;; es) name=es_ES ;; *) name=en_US ;;
  esac
  local dir=$build/locale
  if [ ! -d "$dir/$name.UTF-8" ]; then
    mkdir -p "$dir"
    local made; made=$(mktemp -d "$dir/.making.XXXXXX")
    localedef -i "$name" -f UTF-8 "$made/$name.UTF-8" >/dev/null 2>&1
    mv -T "$made/$name.UTF-8" "$dir/$name.UTF-8" 2>/dev/null; rm -rf "$made"
  fi
  export LOCPATH=$dir
  export LANG=$name.UTF-8 LC_ALL=$name.UTF-8
}
# reader <output file> <window-reader arguments...>
reader() { local out=$1; shift; (cd "$app" && timeout "$(scaled 120)" "${WINE:-wine}" window-reader.exe "$@" 2>/dev/null | tr -d '\r' >"$work/$out"); }
# readers <command> + <command>...: window-reader's commands in one process,
# each one's output in <command>.txt.
readers() {
  reader batch.txt "$@"
  awk -v dir="$work" '/^== / { f = dir "/" $2 ".txt"; printf "" >f; next } f { print >f }' "$work/batch.txt"
}
# unix_path <Windows path>: the file it names here, through the prefix's
# drive letters, as winepath -u finds it (without a Wine process).
unix_path() {
  local path=${1//\\//} drive
  drive=$(readlink -f "$WINEPREFIX/dosdevices/$(tr 'A-Z' 'a-z' <<<"${path:0:2}")") || return 1
  path=${drive%/}${path:2}
  [ -e "$path" ] || path=$(WINEDEBUG=-all "${WINE:-wine}" winepath.exe -u "$1" 2>/dev/null | tr -d '\r')
  printf '%s' "$path"
}
# The report's path as the window shows it after Save report (save.txt).
saved_report() { sed -n 's/^report: Report saved: \(.*\) (send this file.*/\1/p' "$work/save.txt"; }
field() { sed -n "s/^$1: //p" "$work/window.txt"; }
# Capitalised, with a full stop: how the window words a line of the explanation.
sentence() { local t; t=$(sed -n "s/^$1: //p" "$work/explain.txt" | tr -d '\r'); printf '%s%s.' "$(tr 'a-z' 'A-Z' <<<"${t:0:1}")" "${t:1}"; }
# check_window <name> <expected verdict> <expected Windows line>
check_window() {
  local name=$1 verdict=$2 windows=$3
  (cd "$app" && timeout "$(scaled 120)" "${WINE:-wine}" morvalith-probe.exe --explain >"$work/explain.txt" 2>&1)
  start_check
  reader window.txt read
  import -window root "$shots/check-${name// /-}.png" 2>/dev/null
  expect "check window ($name): the verdict reads \"$verdict\", under the title \"Morvalith check\"" \
    test "$(field verdict)|$(field title)" = "$verdict|Morvalith check"
  expect "check window ($name): cause and remedy are the probe's --explain" \
    test "$(field cause)|$(field remedy)" = "Cause: $(sentence cause)|What to do: $(sentence remedy)"
  # The DLL's size, then its path and version (anything after in brackets aside).
  local label="Morvalith.dll (${MORVALITH_BITS:-32}-bit): " library; library=$(field library)
  expect "check window ($name): the DLL's size, path and version, and the Windows version" \
    test "${library:0:${#label}}$(sed 's/ (.*//' <<<"${library:${#label}}")|$(field windows)" = \
      "${label}Z:${app//\//\\}\\Morvalith.dll, version $(sed -n 's/^probe: morvalith-probe.exe //p' "$work/explain.txt" | tr -d '\r')|Windows: $windows"
  expect "check window ($name): no offer to repeat the check elevated" test "$(field elevate)" = hidden
  # Copy, Save report and Close in turn, as a customer presses them.
  readers copy + save + close
  expect "check window ($name): Copy puts the whole text on the clipboard, the verdict first" \
    test "$(sed -n 's/^clipboard first line: //p' "$work/copy.txt")" = "$verdict"
  local shown; shown=$(saved_report)
  local unix=""; [ -n "$shown" ] && unix=$(unix_path "$shown")
  expect "check window ($name): Save report writes the file whose full path it shows" test -n "$unix" -a -f "$unix"
  if [ -n "$unix" ] && [ -f "$unix" ]; then
    cp "$unix" "$work/report.json"
    (cd "$app" && timeout "$(scaled 120)" "${WINE:-wine}" morvalith-sim.exe --explain "Z:${work//\//\\}\\report.json" >"$work/report.txt" 2>&1)
    expect "check window ($name): morvalith-sim.exe --explain on the report gives the same cause" \
      test "$(sed -n 's/^cause: //p' "$work/report.txt" | tr -d '\r')" = "$(sed -n 's/^cause: //p' "$work/explain.txt" | tr -d '\r')"
    expect "check window ($name): the report holds no sector contents" bash -c '! grep -q 00070e151c23 "$0"' "$unix"
    local ids; ids=$(sed -n 's/^\(cause-id: [^ ]*\).*/\1/p;s/^\(remedy-id: [^ ]*\).*/\1/p' "$work/explain.txt" | tr -d '\r' | paste -sd '|' | sed 's/|/\\n/')
    expect "check window ($name): the report names the cause's and the remedy's identifiers" \
      grep -qF "\"comment\": \"$ids\"" "$unix"
  fi
  wait "$check_pid"
  expect "check window ($name): Close ends the program" grep -q '^closed' "$work/close.txt"
}

# check_language <name> <locale's language> <language shown> <verdict: loads|refuses>
#   <release: xp, 7, 98se...> <major> <minor> <build> <service pack, or -> [elevated]
# The window in a prefix of that locale: every word read from its controls
# as the string table words it (the cause and the remedy from the probe's
# identifiers, with their arguments), shown whole, and photographed as
# check-<language shown>[-<locale's>].png.
check_language() {
  local name=$1 locale=$2 shown=$3; shift 3
  use_locale "$locale"
  (cd "$app" && timeout "$(scaled 120)" "${WINE:-wine}" morvalith-probe.exe --explain >"$app/explain.txt" 2>&1)
  start_check
  reader window.txt read
  local shot=check-$shown; [ "$locale" = "$shown" ] || shot=$shot-from-$locale
  [ -z "${shot_suffix:-}" ] || shot=$shot-$shot_suffix
  import -window root "$shots/$shot.png" 2>/dev/null
  reader expected.txt expect "$shown" "$1" explain.txt "${@:2}"
  local words='^(title|verdict|cause|remedy|windows|report|button [a-z]+): ' differs
  differs=$(diff <(grep -E "$words" "$work/expected.txt") <(grep -E "$words" "$work/window.txt"))
  expect "check window ($name, $locale locale): $shown words as the string table has them" test -z "$differs" -a -s "$work/expected.txt"
  [ -z "$differs" ] || sed 's/^/     /' <<<"$differs"
  local label library; label=$(sed -n 's/^library label: //p' "$work/expected.txt"); library=$(field library)
  expect "check window ($name, $locale locale): the DLL line in $shown, and every line shown whole" \
    test "${library:0:${#label}}|$(field layout)" = "$label|whole"
  reader close.txt close
  wait "$check_pid"
  unset LOCPATH LANG LC_ALL
}

missing() {  # missing <file>
  rm "$app/$1"
  start_check
  reader window.txt read
  import -window root "$shots/check-winxp-missing-$1.png" 2>/dev/null
  expect "check window without $1: the verdict names the missing file" \
    test "$(field verdict)" = "The check cannot run: $1 is missing."
  expect "check window without $1: the remedy says where to put it" \
    test "$(field remedy | sed 's/ (.*//')" = "What to do: put $1 in Z:${app//\//\\}, beside morvalith-check.exe"
  reader close.txt close
  wait "$check_pid"
}
# The sample GUI host as the users' README's CMake snippet built it against
# the unpacked archive (the checks on the built files), started as Explorer
# starts it (no standard output): the reason of a refusal in its message
# box, with the library's own line, or the load.
sample() {  # sample <name> <box title> <expected box text>
  cp "$build/consumers/snippet/build/gui-host.exe" "$build/consumers/snippet/build/Morvalith.dll" "$app/"
  (cd "$app" && timeout "$(scaled 120)" wine start /wait /unix "$app/gui-host.exe" >/dev/null 2>&1) &
  local pid=$!
  (cd "$app" && timeout "$(scaled 60)" wine window-reader.exe box "$2" 2 2>/dev/null | tr -d '\r' >"$work/box.txt") &
  local box_reader=$!
  sleep 1.5
  import -window root "$shots/sample-${1// /-}.png" 2>/dev/null
  wait "$box_reader"; wait "$pid"
  expect "the sample GUI host ($1): its box reads \"$3\"" test "$(sed -n 's/^text: //p' "$work/box.txt")" = "$3"
  [ "$(sed -n 's/^text: //p' "$work/box.txt")" = "$3" ] || sed 's/^/     /' "$work/box.txt"
}
