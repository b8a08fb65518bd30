// The simulated machine's Win32 subset: the declarations the Windows SDK
// gives for the calls the library makes, with the same names, signatures,
// calling conventions and structure layouts, for the pointer size of the
// build: 32-bit Windows in a -m32 build (stdcall, pointers and ULONG_PTR of 4
// bytes), 64-bit Windows in a 64-bit one (one calling convention, LLP64:
// DWORD, LONG and ULONG stay 32 bits while pointers, ULONG_PTR, SIZE_T and
// HANDLE take 64), whatever the build machine's own processor.
#pragma once

#include <stddef.h>

#if __SIZEOF_POINTER__ != 4 && __SIZEOF_POINTER__ != 8
#error "the simulated platform mirrors 32- or 64-bit Windows"
#endif

// Built for Windows (the Windows probe's explanation), the simulated calls
// take names of their own: the real ones belong to the C runtime there.
#if defined(_WIN32)
#define GetVersionExA SimGetVersionExA
#define GetLastError SimGetLastError
#define SetLastError SimSetLastError
#define GetProcessHeap SimGetProcessHeap
#define HeapAlloc SimHeapAlloc
#define HeapFree SimHeapFree
#define CreateFileA SimCreateFileA
#define CloseHandle SimCloseHandle
#define DeviceIoControl SimDeviceIoControl
#define GetDriveTypeA SimGetDriveTypeA
#define GetLogicalDrives SimGetLogicalDrives
#define GetVolumeNameForVolumeMountPointA SimGetVolumeNameForVolumeMountPointA
#define GetModuleFileNameA SimGetModuleFileNameA
#define CreatePipe SimCreatePipe
#define SetHandleInformation SimSetHandleInformation
#define CreateProcessA SimCreateProcessA
#define GetExitCodeProcess SimGetExitCodeProcess
#define TerminateProcess SimTerminateProcess
#define ReadFile SimReadFile
#define WriteFile SimWriteFile
#define GetModuleHandleA SimGetModuleHandleA
#define LoadLibraryA SimLoadLibraryA
#define GetProcAddress SimGetProcAddress
#define FreeLibrary SimFreeLibrary
#define DisableThreadLibraryCalls SimDisableThreadLibraryCalls
#define CreateEventA SimCreateEventA
#define WaitForSingleObject SimWaitForSingleObject
#define RegOpenKeyA SimRegOpenKeyA
#define RegQueryValueExA SimRegQueryValueExA
#define RegCloseKey SimRegCloseKey
#define SetupDiGetClassDevsA SimSetupDiGetClassDevsA
#define SetupDiEnumDeviceInterfaces SimSetupDiEnumDeviceInterfaces
#define SetupDiGetDeviceInterfaceDetailA SimSetupDiGetDeviceInterfaceDetailA
#define SetupDiDestroyDeviceInfoList SimSetupDiDestroyDeviceInfoList
#define CM_Get_Parent SimCM_Get_Parent
#define CM_Get_Device_IDA SimCM_Get_Device_IDA
#define MessageBoxA SimMessageBoxA
#endif

// x86 has the two conventions; every other processor, as 64-bit Windows,
// has one, and the compiler would warn of the attributes there.
#if defined(__i386__)
#define WINAPI __attribute__((stdcall))
#define CALLBACK __attribute__((stdcall))
#ifndef __stdcall
#define __stdcall __attribute__((stdcall))
#endif
#ifndef __cdecl
#define __cdecl __attribute__((cdecl))
#endif
#else
#define WINAPI
#define CALLBACK
#ifndef __stdcall
#define __stdcall
#endif
#ifndef __cdecl
#define __cdecl
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int BOOL;
typedef unsigned char BYTE, UCHAR, BOOLEAN;
typedef char CHAR;
typedef unsigned short WORD, USHORT;
// Windows' long is 32 bits in both sizes; a 64-bit Linux long is not.
#if defined(__LP64__)
typedef unsigned int DWORD, ULONG;
typedef int LONG, LSTATUS;
#else
typedef unsigned long DWORD, ULONG;
typedef long LONG, LSTATUS;
#endif
typedef unsigned int UINT;
typedef int INT;
#if __SIZEOF_POINTER__ == 8
typedef unsigned long long ULONG_PTR, DWORD_PTR, SIZE_T;
typedef long long LONG_PTR;
#else
typedef unsigned long ULONG_PTR, DWORD_PTR, SIZE_T;
typedef long LONG_PTR;
#endif
typedef void *PVOID, *LPVOID, *HANDLE;
typedef const void *LPCVOID;
typedef char *LPSTR, *PSTR;
typedef const char *LPCSTR, *PCSTR;
typedef DWORD *LPDWORD, *PDWORD;
typedef BYTE *LPBYTE, *PBYTE;
typedef struct HINSTANCE__ *HINSTANCE, *HMODULE;
typedef struct HKEY__ *HKEY, **PHKEY;
typedef struct HWND__ *HWND;
typedef PVOID HDEVINFO;
typedef DWORD DEVINST, *PDEVINST;
typedef DWORD CONFIGRET;
typedef DWORD REGSAM;
typedef int(WINAPI *FARPROC)(void);
typedef struct _OVERLAPPED *LPOVERLAPPED;
typedef SIZE_T *PSIZE_T;
typedef struct _PROC_THREAD_ATTRIBUTE_LIST *PPROC_THREAD_ATTRIBUTE_LIST, *LPPROC_THREAD_ATTRIBUTE_LIST;
typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *PSECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

typedef struct _GUID {
    DWORD Data1;
    unsigned short Data2;
    unsigned short Data3;
    unsigned char Data4[8];
} GUID;
typedef const GUID *LPCGUID;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define ANYSIZE_ARRAY 1
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define INFINITE 0xFFFFFFFFUL

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

#define ERROR_SUCCESS 0L
#define ERROR_INVALID_FUNCTION 1L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_BAD_LENGTH 24L
#define ERROR_GEN_FAILURE 31L
#define ERROR_NOT_SUPPORTED 50L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_INVALID_NAME 123L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_MORE_DATA 234L
#define ERROR_BROKEN_PIPE 109L
#define ERROR_BAD_EXE_FORMAT 193L
#define ERROR_FILENAME_EXCED_RANGE 206L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_DLL_INIT_FAILED 1114L
#define ERROR_INVALID_USER_BUFFER 1784L
#define ERROR_NOT_A_REPARSE_POINT 4390L

#define DRIVE_UNKNOWN 0
#define DRIVE_NO_ROOT_DIR 1
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
#define DRIVE_CDROM 5
#define DRIVE_RAMDISK 6

#define GENERIC_READ 0x80000000UL
#define GENERIC_WRITE 0x40000000UL
#define FILE_SHARE_READ 0x00000001UL
#define FILE_SHARE_WRITE 0x00000002UL
#define OPEN_EXISTING 3
#define FILE_ATTRIBUTE_NORMAL 0x00000080UL

#define HEAP_ZERO_MEMORY 0x00000008UL

#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define REG_BINARY 3

#define DIGCF_PRESENT 0x00000002UL
#define DIGCF_DEVICEINTERFACE 0x00000010UL

#define CR_SUCCESS 0x00000000UL
#define CR_INVALID_POINTER 0x00000003UL
#define CR_FAILURE 0x00000013UL
#define CR_NO_SUCH_DEVNODE 0x0000000DUL
#define CR_BUFFER_SMALL 0x0000001AUL

#define MB_OK 0x00000000UL
#define IDOK 1

#define HANDLE_FLAG_INHERIT 0x00000001UL
#define STILL_ACTIVE 259UL
#define CREATE_NO_WINDOW 0x08000000UL
#define EXTENDED_STARTUPINFO_PRESENT 0x00080000UL
#define STARTF_USESHOWWINDOW 0x00000001UL
#define STARTF_USESTDHANDLES 0x00000100UL
#define SW_HIDE 0

#define WAIT_OBJECT_0 0x00000000UL
#define WAIT_TIMEOUT 0x00000102UL
#define WAIT_FAILED 0xFFFFFFFFUL

#define SCSI_IOCTL_DATA_OUT 0
#define SCSI_IOCTL_DATA_IN 1
#define SCSI_IOCTL_DATA_UNSPECIFIED 2
#define IOCTL_SCSI_PASS_THROUGH_DIRECT 0x0004D014UL

typedef struct _OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
} OSVERSIONINFOA, *POSVERSIONINFOA, *LPOSVERSIONINFOA;

typedef struct _OSVERSIONINFOEXA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
} OSVERSIONINFOEXA, *POSVERSIONINFOEXA, *LPOSVERSIONINFOEXA;
#define VER_NT_WORKSTATION 0x0000001

typedef struct _SCSI_PASS_THROUGH_DIRECT {
    USHORT Length;
    UCHAR ScsiStatus;
    UCHAR PathId;
    UCHAR TargetId;
    UCHAR Lun;
    UCHAR CdbLength;
    UCHAR SenseInfoLength;
    UCHAR DataIn;
    ULONG DataTransferLength;
    ULONG TimeOutValue;
    PVOID DataBuffer;
    ULONG SenseInfoOffset;
    UCHAR Cdb[16];
} SCSI_PASS_THROUGH_DIRECT, *PSCSI_PASS_THROUGH_DIRECT;

// SetupAPI packs its records to 1 byte in 32-bit processes and to 8 in
// 64-bit ones (setupapi.h's _SETUPAPI_VER packing).
#if __SIZEOF_POINTER__ == 8
#pragma pack(push, 8)
#else
#pragma pack(push, 1)
#endif
typedef struct _SP_DEVINFO_DATA {
    DWORD cbSize;
    GUID ClassGuid;
    DWORD DevInst;
    ULONG_PTR Reserved;
} SP_DEVINFO_DATA, *PSP_DEVINFO_DATA;

typedef struct _SP_DEVICE_INTERFACE_DATA {
    DWORD cbSize;
    GUID InterfaceClassGuid;
    DWORD Flags;
    ULONG_PTR Reserved;
} SP_DEVICE_INTERFACE_DATA, *PSP_DEVICE_INTERFACE_DATA;

typedef struct _SP_DEVICE_INTERFACE_DETAIL_DATA_A {
    DWORD cbSize;
    CHAR DevicePath[ANYSIZE_ARRAY];
} SP_DEVICE_INTERFACE_DETAIL_DATA_A, *PSP_DEVICE_INTERFACE_DETAIL_DATA_A;
#pragma pack(pop)

typedef struct _STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
} STARTUPINFOA, *LPSTARTUPINFOA;

typedef struct _PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
} PROCESS_INFORMATION, *PPROCESS_INFORMATION, *LPPROCESS_INFORMATION;

// kernel32
BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation);
DWORD WINAPI GetLastError(void);
void WINAPI SetLastError(DWORD dwErrCode);
HANDLE WINAPI GetProcessHeap(void);
LPVOID WINAPI HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes);
BOOL WINAPI HeapFree(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem);
HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
BOOL WINAPI CloseHandle(HANDLE hObject);
BOOL WINAPI DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer,
                            DWORD nInBufferSize, LPVOID lpOutBuffer, DWORD nOutBufferSize,
                            LPDWORD lpBytesReturned, LPOVERLAPPED lpOverlapped);
UINT WINAPI GetDriveTypeA(LPCSTR lpRootPathName);
DWORD WINAPI GetLogicalDrives(void);
BOOL WINAPI GetVolumeNameForVolumeMountPointA(LPCSTR lpszVolumeMountPoint, LPSTR lpszVolumeName,
                                              DWORD cchBufferLength);
HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName);
FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
BOOL WINAPI FreeLibrary(HMODULE hLibModule);
BOOL WINAPI DisableThreadLibraryCalls(HMODULE hLibModule);
HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset,
                           BOOL bInitialState, LPCSTR lpName);
DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);
BOOL WINAPI CreatePipe(HANDLE *hReadPipe, HANDLE *hWritePipe, LPSECURITY_ATTRIBUTES lpPipeAttributes, DWORD nSize);
BOOL WINAPI SetHandleInformation(HANDLE hObject, DWORD dwMask, DWORD dwFlags);
BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine, LPSECURITY_ATTRIBUTES lpProcessAttributes,
                           LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles, DWORD dwCreationFlags,
                           LPVOID lpEnvironment, LPCSTR lpCurrentDirectory, LPSTARTUPINFOA lpStartupInfo,
                           LPPROCESS_INFORMATION lpProcessInformation);
BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode);
BOOL WINAPI TerminateProcess(HANDLE hProcess, UINT uExitCode);
BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED lpOverlapped);
BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                      LPOVERLAPPED lpOverlapped);
HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);

// advapi32
LONG WINAPI RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult);
LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                             LPBYTE lpData, LPDWORD lpcbData);
LONG WINAPI RegCloseKey(HKEY hKey);

// setupapi
HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID *ClassGuid, PCSTR Enumerator, HWND hwndParent,
                                     DWORD Flags);
BOOL WINAPI SetupDiEnumDeviceInterfaces(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                        const GUID *InterfaceClassGuid, DWORD MemberIndex,
                                        PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData);
BOOL WINAPI SetupDiGetDeviceInterfaceDetailA(HDEVINFO DeviceInfoSet,
                                             PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData,
                                             PSP_DEVICE_INTERFACE_DETAIL_DATA_A DeviceInterfaceDetailData,
                                             DWORD DeviceInterfaceDetailDataSize, PDWORD RequiredSize,
                                             PSP_DEVINFO_DATA DeviceInfoData);
BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet);
CONFIGRET WINAPI CM_Get_Parent(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags);
CONFIGRET WINAPI CM_Get_Device_IDA(DEVINST dnDevInst, PSTR Buffer, ULONG BufferLen, ULONG ulFlags);

// user32
int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);

#ifdef __cplusplus
}
#endif
