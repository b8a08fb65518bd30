// P/Invoke declarations for Morvalith.dll.
// The DLL is 32-bit: build the program for x86 (mcs/csc -platform:x86, or
// Platform target x86 in Visual Studio). An AnyCPU or x64 process cannot load
// it and gets BadImageFormatException; a machine without the flash disk
// gets DllNotFoundException (error 1114, the DLL's initialisation failed).
using System.Runtime.InteropServices;

namespace Morvalith
{
    public static class NativeMethods
    {
        // int __stdcall GetIDKey(unsigned char *key): 1 and 32 bytes in key, or 0.
        [DllImport("Morvalith.dll", EntryPoint = "GetIDKey", CallingConvention = CallingConvention.StdCall,
                   ExactSpelling = true)]
        public static extern int GetIDKey([Out] byte[] key);

        // char __cdecl GetUSBDriveLetter(void): 'A'..'Z', or 0 when there is none.
        [DllImport("Morvalith.dll", EntryPoint = "GetUSBDriveLetter", CallingConvention = CallingConvention.Cdecl,
                   ExactSpelling = true)]
        public static extern byte GetUSBDriveLetter();

        // The 32-byte key, or null.
        public static byte[] IdKey()
        {
            byte[] key = new byte[32];
            return GetIDKey(key) == 1 ? key : null;
        }

        // The drive letter, or '\0'.
        public static char DriveLetter()
        {
            return (char)GetUSBDriveLetter();
        }
    }
}
