"""The Python declarations take each function from the loader of its
convention (GetIDKey from a WinDLL, stdcall; GetUSBDriveLetter from a CDLL,
cdecl), load the DLL by its full path, and turn every failed load into one
exception class. Linux has no WinDLL, so both loaders are stand-ins that
record, and fail as Windows does when told to."""
import ctypes
import os
import sys
import tempfile

sys.path.insert(0, sys.argv[1])
loaded, paths = [], []
fail_with = None  # the Windows error the next load ends with


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
            paths.append(path)
            if fail_with:
                e = OSError(22, "stand-in failure")
                e.winerror = fail_with
                raise e

        def __getattr__(self, name):
            return Function(kind, name)
    return Loader


ctypes.WinDLL = loader("WinDLL")
ctypes.CDLL = loader("CDLL")
import morvalith  # noqa: E402

folder = tempfile.mkdtemp()
open(os.path.join(folder, "Morvalith.dll"), "wb").close()
m = morvalith.Morvalith(folder)
assert m.drive_letter() == "E"
assert m.id_key() == bytes(range(32))
assert sorted(loaded) == [("CDLL", "GetUSBDriveLetter"), ("WinDLL", "GetIDKey")], loaded
assert paths == [os.path.join(folder, "Morvalith.dll")] * 2, paths

# Without a folder, the DLL beside the binding; absent, one exception.
try:
    morvalith.Morvalith()
    raise AssertionError("no DLL beside the binding, yet it loaded")
except morvalith.MorvalithError as e:
    assert "was not found" in str(e) and e.filename == os.path.join(os.path.abspath(sys.argv[1]), "Morvalith.dll"), e
# A 64-bit Python takes x64\Morvalith.dll under the folder where there is
# one (the release's bin folder), an ARM64 one arm64\Morvalith.dll; a 32-bit
# one, the folder's own, whatever the machine says.
for sub in ("x64", "arm64"):
    os.mkdir(os.path.join(folder, sub))
    open(os.path.join(folder, sub, "Morvalith.dll"), "wb").close()
machine = morvalith.platform.machine
for bits, says, chosen in ((64, "AMD64", os.path.join(folder, "x64", "Morvalith.dll")),
                           (64, "ARM64", os.path.join(folder, "arm64", "Morvalith.dll")),
                           (32, "ARM64", os.path.join(folder, "Morvalith.dll")),
                           (32, "x86", os.path.join(folder, "Morvalith.dll"))):
    morvalith.platform.machine = lambda: says
    morvalith._BITS, paths[:] = bits, []
    morvalith.Morvalith(folder)
    assert paths == [chosen] * 2, (bits, says, paths)
morvalith.platform.machine = machine
morvalith._BITS = 64
for error, words in ((126, "was not found"), (193, "this 64-bit Python"), (1114, "refused to load")):
    fail_with = error
    try:
        morvalith.Morvalith(folder)
        raise AssertionError("error %d did not raise" % error)
    except morvalith.MorvalithError as e:
        assert e.errno == error and words in str(e), (error, e)
    assert issubclass(morvalith.MorvalithError, OSError)
print("python declarations: GetIDKey from WinDLL, GetUSBDriveLetter from CDLL, by full path, the DLL of"
      " the Python's size, one exception class")
