{ Loads the DLL at run time and calls both functions as a program would. }
program UseMorvalithDynamic;
{$MODE DELPHI}
uses MorvalithDynamic;
var
  Key: TMorvalithKey;
begin
  if not MorvalithLoad then
  begin
    WriteLn('Morvalith.dll is missing or refused to load');
    Halt(1);
  end;
  if GetIDKey(@Key) = 1 then
    WriteLn(GetUSBDriveLetter, ' ', Key[0]);
  MorvalithUnload;
end.
