/* A GUI program that loads Morvalith.dll and, when the library refuses to
 * load, shows its user why instead of ending without a window.
 *
 * Build (MinGW):  i686-w64-mingw32-gcc -mwindows -I<archive>/include gui_host.c -o gui-host.exe
 * Put gui-host.exe beside Morvalith.dll. */
#include <stdio.h>
#include <windows.h>

#include "morvalith.h"
#include "morvalith_load.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command, int show)
{
    char reason[512], text[768];
    HMODULE dll;
    MorvalithGetUSBDriveLetterFn getLetter;
    char letter;
    (void)instance; (void)previous; (void)command; (void)show;

    dll = MorvalithLoadLibrary(reason, sizeof(reason));
    if (!dll) {
        MessageBoxA(NULL, reason, "Sample host: the flash disk library did not load", MB_OK | MB_ICONERROR);
        return 1;
    }
    getLetter = (MorvalithGetUSBDriveLetterFn)(void *)GetProcAddress(dll, "GetUSBDriveLetter");
    letter = getLetter ? getLetter() : 0;
    if (letter)
        snprintf(text, sizeof(text), "Morvalith.dll loaded: the flash disk is drive %c:.", letter);
    else
        snprintf(text, sizeof(text), "Morvalith.dll loaded; the flash disk has no drive letter.");
    MessageBoxA(NULL, text, "Sample host", MB_OK | MB_ICONINFORMATION);
    FreeLibrary(dll);
    return 0;
}
