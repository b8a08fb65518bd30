# MorvalithLoadLibrary (include/morvalith_load.h) in a MinGW GUI host and in
# a host with no C runtime (built by the checks on the built files): the
# reason in plain words for a refusal, a missing DLL and a file that is no
# DLL, none on success; the library's own line caught, the host's own lines
# on its standard output before and after the load.
text_mode=1
refused='host: not loaded: Morvalith.dll refused to load (error 1114): "Can not find Alcor flash disk". Run morvalith-check.exe to find out why and to save a report for support.'
prefix winxp
for host in load-host-gui load-host-nocrt; do
  check "$host: a refusal gives the library's reason" 1 "host: before the load
$refused
host: after the load" $host.exe
done
rm "$app/Morvalith.dll"
for host in load-host-gui load-host-nocrt; do
  check "$host: no Morvalith.dll gives error 126 and where Windows looked" 1 "host: before the load
host: not loaded: Morvalith.dll was not found (error 126): Windows looked in the program's folder, the current folder, the system folders and the folders of PATH
host: after the load" $host.exe
done
echo "not a DLL" >"$app/Morvalith.dll"
for host in load-host-gui load-host-nocrt; do
  check "$host: a text file named Morvalith.dll gives error 193" 1 "host: before the load
host: not loaded: Morvalith.dll is not a 32-bit Windows DLL (error 193)
host: after the load" $host.exe
done
finish
prefix win98
export WINEDLLOVERRIDES="$base_overrides;wnaspi32=n"
for host in load-host-gui load-host-nocrt; do
  check "$host: a load gives the module and no reason" 0 "host: before the load
host: loaded, reason \"\"
host: after the load" $host.exe
done
finish
text_mode=
