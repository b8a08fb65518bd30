{ Morvalith.dll loaded at run time, for Delphi and Free Pascal: a program
  that uses this unit starts on every machine and learns from MorvalithLoad
  whether the DLL loaded (it refuses to load without the flash disk). Build
  for 32-bit Windows. }
unit MorvalithDynamic;

{$IFDEF FPC}{$MODE DELPHI}{$ENDIF}

interface

type
  TMorvalithKey = array[0..31] of Byte;
  PMorvalithKey = ^TMorvalithKey;
  TGetIDKey = function(Key: PMorvalithKey): Integer; stdcall;
  TGetUSBDriveLetter = function: AnsiChar; cdecl;

var
  { Set by MorvalithLoad; nil until it succeeds. }
  GetIDKey: TGetIDKey = nil;
  GetUSBDriveLetter: TGetUSBDriveLetter = nil;

{ Loads Path (default: Morvalith.dll, found as Windows finds DLLs) and takes
  both functions. False when the DLL is missing, refuses to load (no flash
  disk) or lacks them. }
function MorvalithLoad(const Path: string = 'Morvalith.dll'): Boolean;
procedure MorvalithUnload;

implementation

{$IFDEF FPC}
uses dynlibs;
{$ELSE}
uses Windows;
{$ENDIF}

var
  Handle: {$IFDEF FPC}TLibHandle{$ELSE}HMODULE{$ENDIF} = 0;

function MorvalithLoad(const Path: string): Boolean;
begin
  MorvalithUnload;
{$IFDEF FPC}
  Handle := LoadLibrary(Path);
  if Handle = NilHandle then Exit(False);
  @GetIDKey := GetProcedureAddress(Handle, 'GetIDKey');
  @GetUSBDriveLetter := GetProcedureAddress(Handle, 'GetUSBDriveLetter');
{$ELSE}
  Handle := LoadLibrary(PChar(Path));
  if Handle = 0 then Exit(False);
  @GetIDKey := GetProcAddress(Handle, 'GetIDKey');
  @GetUSBDriveLetter := GetProcAddress(Handle, 'GetUSBDriveLetter');
{$ENDIF}
  Result := Assigned(GetIDKey) and Assigned(GetUSBDriveLetter);
  if not Result then MorvalithUnload;
end;

procedure MorvalithUnload;
begin
  GetIDKey := nil;
  GetUSBDriveLetter := nil;
  if Handle <> 0 then
  begin
    FreeLibrary(Handle);
    Handle := 0;
  end;
end;

end.
