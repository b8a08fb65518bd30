. "$here/check.sh"
# A file missing beside it: the window says which, and where to put it.
prefix winxp
missing morvalith-sim.exe
cp "$build/morvalith-sim.exe" "$app/"
missing Morvalith.dll
finish

# A folder that cannot take the report (here: a folder in the report's
# place): the report goes to the user's documents folder, and the window
# says so.
prefix winxp
mkdir "$app/morvalith-report.json"
start_check
reader window.txt read
reader save.txt save
shown=$(saved_report)
unix=""; [ -n "$shown" ] && unix=$(unix_path "$shown")
expect "check window: a folder that cannot take the report sends it to My Documents ($shown)" \
  bash -c '[[ $0 == *"\\My Documents\\morvalith-report.json" || $0 == *"\\Documents\\morvalith-report.json" ]] && test -f "$1"' \
  "$shown" "$unix"
reader close.txt close
wait "$check_pid"
finish
stop_display
