{ Declarations for Morvalith.dll, for Delphi and Free Pascal.
  The DLL is 32-bit: build for 32-bit Windows (Delphi: the Win32 platform;
  Free Pascal: -Twin32 -Pi386). A program linked against it this way does
  not start on a machine without the flash disk (the DLL refuses to load);
  load it with LoadLibrary and GetProcAddress to handle that yourself. }
unit Morvalith;

{$IFDEF FPC}{$MODE DELPHI}{$ENDIF}

interface

type
  TMorvalithKey = array[0..31] of Byte;
  PMorvalithKey = ^TMorvalithKey;

{ 1 and the 32-byte key in Key^, or 0. stdcall. }
function GetIDKey(Key: PMorvalithKey): Integer; stdcall; external 'Morvalith.dll' name 'GetIDKey';

{ The drive letter 'A'..'Z', or #0 when there is none. cdecl. }
function GetUSBDriveLetter: AnsiChar; cdecl; external 'Morvalith.dll' name 'GetUSBDriveLetter';

implementation

end.
