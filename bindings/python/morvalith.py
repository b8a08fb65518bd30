"""Morvalith.dll from Python, with ctypes.

Only a 32-bit Python on Windows can load the DLL. GetIDKey is __stdcall and
must be taken from a ctypes.WinDLL; GetUSBDriveLetter is __cdecl and must be
taken from a ctypes.CDLL. Both objects load the same module. Loading raises
OSError (WinError 1114) on a machine without the flash disk.
"""
import ctypes

KEY_SIZE = 32


class Morvalith:
    def __init__(self, path="Morvalith.dll"):
        stdcall = ctypes.WinDLL(path)
        cdecl = ctypes.CDLL(path)
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
