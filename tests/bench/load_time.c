/* Prints how long one LoadLibraryA of the DLL given takes, in microseconds,
 * in this fresh process. The benchmark runs it many times and takes the
 * median. */
#include <windows.h>
#include <stdio.h>

int main(int argc, char **argv)
{
    LARGE_INTEGER frequency, before, after;
    if (argc != 2 || !QueryPerformanceFrequency(&frequency)) {
        fprintf(stderr, "usage: load-time.exe DLL\n");
        return 2;
    }
    QueryPerformanceCounter(&before);
    HMODULE module = LoadLibraryA(argv[1]);
    QueryPerformanceCounter(&after);
    if (module) FreeLibrary(module);
    printf("%.0f\n", (double)(after.QuadPart - before.QuadPart) * 1e6 / (double)frequency.QuadPart);
    return 0;
}
