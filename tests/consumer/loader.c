/* A host that loads Morvalith.dll itself, with only the header (the CMake
 * package's Morvalith::Headers): it starts on any machine and handles the
 * refusal. */
#include <windows.h>
#include <stdio.h>

#include <morvalith.h>

int main(void)
{
    HMODULE dll = LoadLibraryA("Morvalith.dll");
    if (!dll) {
        printf("loader: refused (error %lu)\n", GetLastError());
        return 1;
    }
    MorvalithGetIDKeyFn getKey = (MorvalithGetIDKeyFn)(void *)GetProcAddress(dll, "GetIDKey");
    MorvalithGetUSBDriveLetterFn getLetter =
        (MorvalithGetUSBDriveLetterFn)(void *)GetProcAddress(dll, "GetUSBDriveLetter");
    unsigned char key[32];
    char letter = getLetter();
    int ok = getKey(key);
    printf("loader: letter %d, key result %d\n", letter, ok);
    FreeLibrary(dll);
    return 0;
}
