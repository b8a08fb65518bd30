// The helper program's work (morvalith-vendor32.exe's, whose Windows entry
// only hands over its command line and standard output): the vendor call for
// the letter on its command line, the answer written to the pipe.
#include <string.h>

#include "vendor.h"

// The letter: the first argument after the program's (quoted) name, alone.
static char LetterArgument(LPCSTR line)
{
    if (!line) return 0;
    if (*line == '"') {
        ++line;
        while (*line && *line != '"') ++line;
        if (*line) ++line;
    } else {
        while (*line && *line != ' ' && *line != '\t') ++line;
    }
    while (*line == ' ' || *line == '\t') ++line;
    char letter = line[0];
    bool alone = letter && (line[1] == 0 || line[1] == ' ' || line[1] == '\t');
    return letter >= 'A' && letter <= 'Z' && alone ? letter : 0;
}

DWORD RunVendorHelper(LPCSTR commandLine, HANDLE output)
{
    char letter = LetterArgument(commandLine);
    if (!letter) return 2;
    VendorAnswer answer;
    CallVendorLibrary(letter, &answer);
    DWORD written = 0;
    if (output && output != INVALID_HANDLE_VALUE) WriteFile(output, &answer, sizeof(answer), &written, NULL);
    WipeBytes(&answer, sizeof(answer));
    return 0;
}

