# GetIDKey's two error boxes on the real loader: USER32 is not imported by
# the library, yet the user sees the same box with the same text, caption
# and OK button (the host reads each box and closes it). A box needs a
# display: a virtual one, for this suite only.
start_display boxes
prefix winxp
register_flash_disk
register_removable_volume
check "the vendor library missing: its box, and GetIDKey returns 0" 0 'message box "Error": Load VendorUFDAPI.dll failed! [OK]
GetIDKey: 0' e2e-host.exe boxes
# Any DLL without VGetUFDProductInfo stands in for a vendor library that lacks it.
mkdir -p "$app/Vendor" && cp "$app/WNASPI32.dll" "$app/Vendor/VendorUFDAPI.dll"
check "the vendor library without its entry point: the other box" 0 'message box "Error": Load Dll Error! [OK]
GetIDKey: 0' e2e-host.exe boxes
finish
stop_display
