// The programs' runtime locks, contended, with the semaphore stand-in linked
// in as the programs have it: threads that throw and catch at once (the
// unwinder's lock) and meet a function's static for the first time at once
// (libstdc++'s initialisation guard), and a named semaphore made through the
// stand-in. Prints one line per behaviour; exit 0 when all hold.
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <stdexcept>

extern "C" HANDLE WINAPI CreateSemaphoreWThroughImport(LPSECURITY_ATTRIBUTES, LONG, LONG, LPCWSTR)
    __asm__("_CreateSemaphoreW@16");

static LONG g_constructions;
struct Counted {
    Counted() { InterlockedIncrement(&g_constructions); Sleep(20); }
};

// Whether this program's own import table names the function: the runtime's
// locks can reach only what the loader bound.
static bool Imports(const char *wanted)
{
    BYTE *base = (BYTE *)GetModuleHandleA(NULL);
    IMAGE_NT_HEADERS *nt = (IMAGE_NT_HEADERS *)(base + ((IMAGE_DOS_HEADER *)base)->e_lfanew);
    DWORD rva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (IMAGE_IMPORT_DESCRIPTOR *d = (IMAGE_IMPORT_DESCRIPTOR *)(base + rva); rva && d->Name; ++d) {
        for (IMAGE_THUNK_DATA *t = (IMAGE_THUNK_DATA *)(base + d->OriginalFirstThunk); t->u1.AddressOfData; ++t)
            if (!IMAGE_SNAP_BY_ORDINAL(t->u1.Ordinal) &&
                !strcmp((char *)((IMAGE_IMPORT_BY_NAME *)(base + t->u1.AddressOfData))->Name, wanted))
                return true;
    }
    return false;
}

static HANDLE g_start;
static DWORD WINAPI Worker(void *)
{
    WaitForSingleObject(g_start, INFINITE);
    static Counted once;  // every thread meets it first at the same time
    (void)once;
    DWORD caught = 0;
    for (int i = 0; i < 5000; ++i) {
        try {
            throw std::runtime_error("contended");
        } catch (const std::exception &) {
            ++caught;
        }
    }
    return caught;
}

int main()
{
    bool wide = Imports("CreateSemaphoreW");
    printf("imports CreateSemaphoreW: %s\n", wide ? "yes" : "no");
    const int kThreads = 4;
    g_start = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE threads[kThreads];
    for (HANDLE &t : threads) t = CreateThread(NULL, 0, Worker, NULL, 0, NULL);
    SetEvent(g_start);
    WaitForMultipleObjects(kThreads, threads, TRUE, INFINITE);
    DWORD total = 0;
    for (HANDLE t : threads) {
        DWORD caught = 0;
        GetExitCodeThread(t, &caught);
        total += caught;
        CloseHandle(t);
    }
    printf("caught %lu of %d exceptions thrown at once\n", (unsigned long)total, kThreads * 5000);
    printf("constructed the shared static %ld time(s)\n", (long)g_constructions);
    HANDLE a = CreateSemaphoreWThroughImport(NULL, 0, 1, L"morvalith-locks-test");
    HANDLE b = CreateSemaphoreWThroughImport(NULL, 0, 1, L"morvalith-locks-test");
    DWORD second = GetLastError();
    printf("named semaphore: %s, second open %s\n", a ? "made" : "failed",
           b && second == ERROR_ALREADY_EXISTS ? "finds it" : "does not find it");
    CloseHandle(a);
    CloseHandle(b);
    return !wide && total == kThreads * 5000 && g_constructions == 1 && a && b && second == ERROR_ALREADY_EXISTS ? 0 : 1;
}
