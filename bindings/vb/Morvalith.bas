Attribute VB_Name = "Morvalith"
' Declarations for Morvalith.dll, for Visual Basic 6 and 32-bit Office VBA.
' The DLL is 32-bit: 64-bit Office cannot load it.
'
' VB6 and VBA call every Declare'd function as stdcall, which GetIDKey is.
' GetUSBDriveLetter is cdecl, but it takes no arguments: there is nothing on
' the stack for either side to remove, so this Declare is safe for it. (A
' cdecl function with arguments could not be declared this way: VB would
' report error 49, "Bad DLL calling convention".)
'
' Where the DLL is looked for: the folder of the host program (for VBA that
' is Office's own folder, EXCEL.EXE's, not the workbook's), the current
' folder, the Windows system folders and the folders on PATH. Put
' Morvalith.dll beside your VB6 program; from VBA, ChDir to its folder first
' or declare Lib with the full path.
'
' Errors to trap at the first call (On Error GoTo ...):
'   53  "File not found: Morvalith.dll": the DLL is not in any of those folders;
'   48  "Error in loading DLL": it was found but refused to load, which is
'       what a machine without the flash disk gives (Windows error 1114), or
'       a 64-bit Office.
Option Explicit

' 1 and the 32-byte key written from Key onwards, or 0. Pass the first
' element of a Byte array of 32: GetIDKey(Key(0)).
Public Declare Function GetIDKey Lib "Morvalith.dll" (ByRef Key As Byte) As Long

' The drive letter as a byte (Asc("A") to Asc("Z")), or 0.
Public Declare Function GetUSBDriveLetter Lib "Morvalith.dll" () As Byte

' The 32-byte key as a Byte array, or Empty when there is none.
Public Function MorvalithIdKey() As Variant
    Dim Key(0 To 31) As Byte
    If GetIDKey(Key(0)) = 1 Then
        MorvalithIdKey = Key
    Else
        MorvalithIdKey = Empty
    End If
End Function

' The drive letter as text, or "" when there is none.
Public Function MorvalithDriveLetter() As String
    Dim Letter As Byte
    Letter = GetUSBDriveLetter()
    If Letter <> 0 Then MorvalithDriveLetter = Chr$(Letter)
End Function
