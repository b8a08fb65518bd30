/* A Visual C++-ABI host: compiled by clang-cl for i686-pc-windows-msvc and
 * linked by lld-link against Morvalith.lib alone, without a C runtime (none
 * is available here), so it has an entry point of its own. The same file is
 * compiled as C and as C++. */
#include <morvalith.h>

#ifdef __cplusplus
extern "C" {
#endif
__declspec(dllimport) void *__stdcall GetStdHandle(unsigned long which);
__declspec(dllimport) int __stdcall WriteFile(void *file, const void *data, unsigned long size,
                                              unsigned long *written, void *overlapped);
__declspec(dllimport) void __stdcall ExitProcess(unsigned int code);
#ifdef __cplusplus
}
#endif

static void Put(const char *text)
{
    unsigned long length = 0, written = 0;
    while (text[length]) ++length;
    WriteFile(GetStdHandle((unsigned long)-11), text, length, &written, 0);
}

#ifdef __cplusplus
extern "C"
#endif
    void __cdecl start(void)
{
    unsigned char key[32];
    int i, untouched = 1;
    unsigned before, after;
    char letter, text[2] = {0, 0};
    int result;
    for (i = 0; i < 32; ++i) key[i] = 0xCC;

    /* The stack pointer around each call: a callee whose convention differs
     * from the header's leaves it moved. (ARM64 has one convention, and no
     * inline assembly in this syntax: nothing to compare.) */
#if defined(_M_ARM64) || defined(__aarch64__)
    before = after = 0;
    letter = GetUSBDriveLetter();
#else
    __asm mov before, esp
    letter = GetUSBDriveLetter();
    __asm mov after, esp
#endif
    text[0] = letter ? letter : '0';
    Put("msvc consumer: GetUSBDriveLetter ");
    Put(text);
    Put(before == after ? ", stack balanced\n" : ", stack MOVED\n");

#if defined(_M_ARM64) || defined(__aarch64__)
    result = GetIDKey(key);
#else
    __asm mov before, esp
    result = GetIDKey(key);
    __asm mov after, esp
#endif
    for (i = 0; i < 32; ++i) untouched &= key[i] == 0xCC;
    Put(result == 1 ? "msvc consumer: GetIDKey 1" : result == 0 ? "msvc consumer: GetIDKey 0" : "msvc consumer: GetIDKey ?");
    Put(before == after ? ", stack balanced" : ", stack MOVED");
    Put(untouched ? ", key untouched\n" : ", key written\n");
    ExitProcess(0);
}
