{ Calls both declarations as a program would; compiled without linking. }
program UseMorvalith;
{$MODE DELPHI}
uses Morvalith;
var
  Key: TMorvalithKey;
  Letter: AnsiChar;
begin
  Letter := GetUSBDriveLetter;
  if GetIDKey(@Key) = 1 then
    WriteLn(Letter, ' ', Key[0]);
end.
