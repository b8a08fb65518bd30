// The conformance probes on the simulated machine: the machine the Wine suite
// sets up (the flash disk and its removable volume registered, not attached;
// C: a fixed drive with its MountedDevices value), as Windows XP or Windows 7.
// usage: morvalith-conformance winxp|win7 [--fail OPERATION:N]
// --fail makes the Nth call of OPERATION fail, so that the check can show it
// catches a wrong answer of the simulated machine.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "machine.h"

extern "C" int RunProbes(void);

int main(int argc, char **argv)
{
    std::string version = argc > 1 ? argv[1] : "";
    sim::Machine m;
    if (version == "winxp") {
        m.major = 5, m.minor = 1, m.build = 2600, m.servicePack = "Service Pack 3";
    } else if (version == "win7") {
        m.major = 6, m.minor = 1, m.build = 7601, m.servicePack = "Service Pack 1";
    } else {
        std::fprintf(stderr, "usage: morvalith-conformance winxp|win7 [--fail OPERATION:N]\n");
        return 2;
    }
    const std::string disk = "usbstor#disk&ven_generic&prod_flash_disk&rev_8.01#7&1a2b3c4d&0";
    const std::string diskClass = "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
    const std::string volumeClass = "{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";
    m.disks.push_back({"\\\\?\\" + disk + "#" + diskClass, ""});
    sim::VolumeInterface volume;
    volume.path = "\\\\?\\storage#volume#_??_" + disk + "#" + diskClass + "#" + volumeClass;
    volume.deviceId = "STORAGE\\VOLUME\\_??_USBSTOR#DISK&VEN_GENERIC&PROD_FLASH_DISK&REV_8.01#7&1A2B3C4D&0#" +
                      std::string("{53F56307-B6BF-11D0-94F2-00A0C91EFB8B}");
    volume.parentId = "USBSTOR\\DISK&VEN_GENERIC&PROD_FLASH_DISK&REV_8.01\\7&1A2B3C4D&0";
    m.volumes.push_back(volume);
    sim::Drive c;
    c.type = sim::kDriveFixed;
    c.volumeName = "\\\\?\\Volume{3a6d8e2b-0c15-4f8e-9d2a-6b4c1e7f9a30}\\";
    m.drives['C'] = c;
    m.mountedDevices["\\DosDevices\\C:"] = {0x4d, 0x6f, 0x72, 0x76, 0x00, 0x7e, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    sim::Reset(m);
    if (argc > 3 && std::strcmp(argv[2], "--fail") == 0) {
        std::string fault = argv[3];
        size_t colon = fault.find(':');
        sim::FailCall(fault.substr(0, colon), colon == std::string::npos ? 1 : std::atoi(fault.c_str() + colon + 1));
    }
    return RunProbes();
}
