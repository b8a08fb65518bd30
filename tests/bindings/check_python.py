"""The Python declarations take each function from the loader of its
convention: GetIDKey from a WinDLL (stdcall), GetUSBDriveLetter from a CDLL
(cdecl). Linux has no WinDLL, so both loaders are stand-ins that record."""
import ctypes
import sys

sys.path.insert(0, sys.argv[1])
loaded = []


class Function:
    def __init__(self, loader, name):
        self.loader, self.name = loader, name

    def __call__(self, *args):
        loaded.append((self.loader, self.name))
        if self.name == "GetIDKey":
            for i in range(32):
                args[0][i] = i
            return 1
        return b"E"


def loader(kind):
    class Loader:
        def __init__(self, path):
            assert path == "Morvalith.dll", path

        def __getattr__(self, name):
            return Function(kind, name)
    return Loader


ctypes.WinDLL = loader("WinDLL")
ctypes.CDLL = loader("CDLL")
import morvalith  # noqa: E402

m = morvalith.Morvalith()
assert m.drive_letter() == "E"
assert m.id_key() == bytes(range(32))
assert sorted(loaded) == [("CDLL", "GetUSBDriveLetter"), ("WinDLL", "GetIDKey")], loaded
print("python declarations: GetIDKey from WinDLL, GetUSBDriveLetter from CDLL")
