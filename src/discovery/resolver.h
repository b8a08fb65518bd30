#pragma once
#include "../platform.h"

const DWORD kInstanceTokenSize = 64;

// The entry points resolved at run time (kernel32's and setupapi's): Windows
// 98 and NT 4 lack them, and the DLL must still load there.
typedef BOOL(WINAPI *GetVolumeNameFn)(LPCSTR mountPoint, LPSTR volumeName, DWORD length);
typedef CONFIGRET(WINAPI *GetParentFn)(PDEVINST parent, DEVINST instance, ULONG flags);
typedef CONFIGRET(WINAPI *GetDeviceIdFn)(DEVINST instance, PSTR buffer, ULONG length, ULONG flags);

// The drive-letter search's test of a disk path (bus, class, revision): a
// disk yields letters only when its path holds all three.
const char *const kLetterBusToken = "usbstor";
const char *const kLetterClassToken = "disk";
const char *const kLetterRevisionToken = "_8.01";

// Copies the text between one character past the first revisionToken and
// the first "#{" into token (kInstanceTokenSize bytes, zero-filled first).
// Returns 0, token all zero, when the path has no such text or it would not
// fit with its terminator.
int CutInstanceToken(const char *devicePath, const char *revisionToken, char *token);

// Lower-cases A-Z and turns every backslash into '#', in place.
void NormaliseDeviceId(char *id);

// A disk whose path holds all three tokens and has an instance token to cut
// (into token, kInstanceTokenSize bytes): 1; otherwise 0.
int DiskInstanceToken(const char *devicePath, const char *busToken, const char *classToken,
                      const char *revisionToken, char *token);

// Windows 2000/XP match a volume on its parent's (the disk's) identifier;
// later systems on the volume's own.
int VolumeMatchedThroughParent(DWORD majorVersion);

// Normalises id in place and tells whether it holds the instance token.
int DeviceIdHoldsToken(char *id, const char *instanceToken);

// Appends the letters of the removable volumes of every disk interface whose
// path holds all three tokens, grouped by disk in enumeration order and from
// A upward within a disk. Writes at most capacity letters: once the buffer is
// full further letters are dropped and not counted. Returns the number of
// letters appended, or 0 when the enumeration broke down (letters appended
// before the breakdown stay in the buffer).
int CollectDriveLetters(const char *busToken, const char *classToken, const char *revisionToken, char *letters,
                        DWORD capacity);

// The drive mask (bit n for 'A' + n) of the removable volumes whose device
// identifier contains instanceToken.
DWORD GetInstanceDriveMask(const char *instanceToken);
