"""Morvalith.dll from Python, with ctypes.

A 32-bit Python loads the 32-bit Morvalith.dll (the release's bin folder), a
64-bit Python the x64 one (bin\x64) and an ARM64 Python the ARM64 one
(bin\arm64): the binding picks it by its own pointer size and, for 64 bits,
by platform.machine() (an x64 Python under emulation on an ARM64 PC says
AMD64, and takes the x64 DLL as it must). GetIDKey is __stdcall and is taken from a ctypes.WinDLL;
GetUSBDriveLetter is __cdecl and is taken from a ctypes.CDLL (a 64-bit
process has one convention, and both loaders give the same). Both objects
load the same module.

The DLL is loaded by its full path: from Python 3.8 on, ctypes searches
neither the script's folder nor the current folder for a bare name. By
default it is the Morvalith.dll beside this file; pass the folder that holds
it otherwise. A 64-bit Python takes x64\Morvalith.dll (ARM64: arm64\Morvalith.dll)
under that folder when there is one (the release's bin folder), else the
folder's own:

    import morvalith
    try:
        disk = morvalith.Morvalith()            # or Morvalith(r"C:\\MyApp")
    except morvalith.MorvalithError as e:
        print(e)                                # not found, of the other size, or refused to load
    else:
        print(disk.drive_letter(), disk.id_key() is not None)
"""
import ctypes
import os
import platform

KEY_SIZE = 32
# This Python's size, which the DLL's must match.
_BITS = ctypes.sizeof(ctypes.c_void_p) * 8


def _folder_64():
    """The 64-bit DLL's folder under the release's bin folder, for this
    process's processor. (A 32-bit Python on an ARM64 PC may be told ARM64
    too, from the machine; its size alone decides for it.)"""
    return "arm64" if platform.machine().upper() in ("ARM64", "AARCH64") else "x64"


# Windows errors a load can end with, in plain words.
_LOAD_ERRORS = {
    126: "Morvalith.dll was not found (or a DLL it needs is missing)",
    193: "Morvalith.dll cannot be loaded by this %d-bit Python: it is another size's or processor's (use "
         "bin\\Morvalith.dll for a 32-bit Python, bin\\x64\\Morvalith.dll for an x64 one, bin\\arm64\\Morvalith.dll "
         "for an ARM64 one), or not a Windows DLL",
    1114: "Morvalith.dll refused to load: no flash disk of the served family answers on this machine",
}


class MorvalithError(OSError):
    """Morvalith.dll could not be used: not found, of the other size than
    this Python, or refused to load (no flash disk). winerror holds the
    Windows error number where there is one."""


class Morvalith:
    def __init__(self, folder=None):
        folder = os.path.abspath(folder if folder is not None else os.path.dirname(os.path.abspath(__file__)))
        path = os.path.join(folder, "Morvalith.dll")
        if _BITS == 64 and os.path.isfile(os.path.join(folder, _folder_64(), "Morvalith.dll")):
            path = os.path.join(folder, _folder_64(), "Morvalith.dll")
        if not os.path.isfile(path):
            raise MorvalithError(2, "Morvalith.dll was not found in " + folder, path)
        try:
            stdcall = ctypes.WinDLL(path)
            cdecl = ctypes.CDLL(path)
        except OSError as e:
            code = getattr(e, "winerror", None) or e.errno
            words = _LOAD_ERRORS.get(code, "Morvalith.dll could not be loaded: %s" % e)
            raise MorvalithError(code, words % _BITS if "%d" in words else words, path) from e
        self._get_id_key = stdcall.GetIDKey
        self._get_id_key.argtypes = [ctypes.POINTER(ctypes.c_ubyte)]
        self._get_id_key.restype = ctypes.c_int
        self._get_drive_letter = cdecl.GetUSBDriveLetter
        self._get_drive_letter.argtypes = []
        self._get_drive_letter.restype = ctypes.c_char

    def drive_letter(self):
        """The drive letter as a one-character str, or None."""
        letter = self._get_drive_letter()
        return letter.decode("ascii") if letter != b"\0" else None

    def id_key(self):
        """The 32-byte key as bytes, or None."""
        key = (ctypes.c_ubyte * KEY_SIZE)()
        if self._get_id_key(key) != 1:
            return None
        return bytes(key)
