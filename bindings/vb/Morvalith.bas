Attribute VB_Name = "Morvalith"
' Declarations for Morvalith.dll, for Visual Basic 6 and 32-bit Office VBA.
' The DLL is 32-bit: 64-bit Office cannot load it.
'
' VB6 and VBA call every Declare'd function as stdcall, which GetIDKey is.
' GetUSBDriveLetter is cdecl, but it takes no arguments: there is nothing on
' the stack for either side to remove, so this Declare is safe for it. (A
' cdecl function with arguments could not be declared this way: VB would
' report error 49, "Bad DLL calling convention".)
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
