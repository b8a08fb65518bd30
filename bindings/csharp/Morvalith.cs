// P/Invoke declarations for Morvalith.dll, for programs built x86, x64 or
// AnyCPU. A 32-bit process loads the 32-bit Morvalith.dll beside the program
// (the release's bin folder); a 64-bit one the 64-bit DLL (bin\x64), which
// the program ships in an x64 folder beside it: the first use of this class
// loads x64\Morvalith.dll by its full path, so that the declarations below
// reach it and not the 32-bit file of the same name. A machine without the
// flash disk gets DllNotFoundException (error 1114, the DLL's initialisation
// failed); a process given the other size's DLL, BadImageFormatException.
using System;
using System.IO;
using System.Runtime.InteropServices;

namespace Morvalith
{
    public static class NativeMethods
    {
        [DllImport("kernel32.dll", CharSet = CharSet.Unicode, SetLastError = true)]
        private static extern IntPtr LoadLibraryW(string path);

        // Where the 64-bit DLL failed to load (0: loaded, or not a 64-bit process).
        private static readonly int x64LoadError;

        static NativeMethods()
        {
            if (IntPtr.Size != 8) return;
            string path = Path.Combine(AppDomain.CurrentDomain.BaseDirectory, "x64", "Morvalith.dll");
            if (File.Exists(path) && LoadLibraryW(path) == IntPtr.Zero) x64LoadError = Marshal.GetLastWin32Error();
        }

        private static void ThrowIfNotLoaded()
        {
            if (x64LoadError == 1114)
                throw new DllNotFoundException("x64\\Morvalith.dll refused to load (error 1114): no flash disk of " +
                                               "the served family answers on this machine");
            if (x64LoadError != 0)
                throw new DllNotFoundException("x64\\Morvalith.dll could not be loaded (error " + x64LoadError + ")");
        }

        // int __stdcall GetIDKey(unsigned char *key): 1 and 32 bytes in key, or 0.
        // (x64 has one convention: the attribute is ignored there.)
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
            ThrowIfNotLoaded();
            byte[] key = new byte[32];
            return GetIDKey(key) == 1 ? key : null;
        }

        // The drive letter, or '\0'.
        public static char DriveLetter()
        {
            ThrowIfNotLoaded();
            return (char)GetUSBDriveLetter();
        }
    }
}
