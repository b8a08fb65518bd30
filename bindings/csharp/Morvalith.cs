// P/Invoke declarations for Morvalith.dll, for programs built x86, x64, ARM64
// or AnyCPU. A 32-bit process loads the 32-bit Morvalith.dll beside the
// program (the release's bin folder); an x64 one the x64 DLL (bin\x64), which
// the program ships in an x64 folder beside it, and an ARM64 one the ARM64
// DLL (bin\arm64) in an arm64 folder: the first use of this class loads
// x64\Morvalith.dll or arm64\Morvalith.dll by its full path, so that the
// declarations below reach it and not the 32-bit file of the same name. The
// process's own processor decides (an AnyCPU program runs as ARM64 on an
// ARM64 PC with an ARM64 .NET, as x64 under emulation otherwise). A machine
// without the flash disk gets DllNotFoundException (error 1114, the DLL's
// initialisation failed); a process given another size's DLL,
// BadImageFormatException.
using System;
using System.IO;
using System.Runtime.InteropServices;

namespace Morvalith
{
    public static class NativeMethods
    {
        [DllImport("kernel32.dll", CharSet = CharSet.Unicode, SetLastError = true)]
        private static extern IntPtr LoadLibraryW(string path);

        // The processor as this process sees it (an emulated process sees
        // the processor it is emulated as).
        [StructLayout(LayoutKind.Sequential)]
        private struct SystemInfo
        {
            public ushort ProcessorArchitecture;
            public ushort Reserved;
            public uint PageSize;
            public IntPtr MinimumApplicationAddress;
            public IntPtr MaximumApplicationAddress;
            public IntPtr ActiveProcessorMask;
            public uint NumberOfProcessors;
            public uint ProcessorType;
            public uint AllocationGranularity;
            public ushort ProcessorLevel;
            public ushort ProcessorRevision;
        }

        [DllImport("kernel32.dll")]
        private static extern void GetSystemInfo(out SystemInfo info);

        private const ushort ProcessorArchitectureArm64 = 12;

        // The 64-bit DLL's folder, and where it failed to load (0: loaded,
        // or not a 64-bit process).
        private static readonly string folder64;
        private static readonly int loadError64;

        static NativeMethods()
        {
            if (IntPtr.Size != 8) return;
            SystemInfo info;
            GetSystemInfo(out info);
            folder64 = info.ProcessorArchitecture == ProcessorArchitectureArm64 ? "arm64" : "x64";
            string path = Path.Combine(AppDomain.CurrentDomain.BaseDirectory, folder64, "Morvalith.dll");
            if (File.Exists(path) && LoadLibraryW(path) == IntPtr.Zero) loadError64 = Marshal.GetLastWin32Error();
        }

        private static void ThrowIfNotLoaded()
        {
            if (loadError64 == 1114)
                throw new DllNotFoundException(folder64 + "\\Morvalith.dll refused to load (error 1114): no flash " +
                                               "disk of the served family answers on this machine");
            if (loadError64 != 0)
                throw new DllNotFoundException(folder64 + "\\Morvalith.dll could not be loaded (error " + loadError64 + ")");
        }

        // int __stdcall GetIDKey(unsigned char *key): 1 and 32 bytes in key, or 0.
        // (x64 and ARM64 have one convention: the attribute is ignored there.)
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
