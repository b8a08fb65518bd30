// morvalith-bench (host build): platform calls per GetUSBDriveLetter and per
// GetIDKey on generated machines of N matching disks by N removable volumes,
// counted from the simulated machine's call log. Counts, not seconds: the
// same build gives the same table on any machine.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "host_run.h"
#include "machine.h"
#include "morvalith.h"

namespace {

// Windows XP or Windows 7 with n flash disks, each with its removable volume
// under its own letter from A upward.
sim::Machine Generated(int n, bool win7)
{
    sim::Machine m;
    if (win7) {
        m.major = 6;
        m.minor = 1;
        m.build = 7601;
    }
    const std::string device = "usbstor#disk&ven_generic&prod_flash_disk&rev_8.01";
    for (int i = 0; i < n; ++i) {
        char instance[32], volume[64], tag[8];
        std::snprintf(instance, sizeof(instance), "7&%08x&0", 0x1a2b0000 + i);
        std::snprintf(volume, sizeof(volume), "\\\\?\\Volume{6f1e2d3c-4b5a-11e0-9a8b-0000000000%02x}\\", i);
        std::snprintf(tag, sizeof(tag), "%02x", i);
        std::string parent = "USBSTOR\\Disk&Ven_Generic&Prod_Flash_Disk&Rev_8.01\\" + std::string(instance);
        m.disks.push_back({"\\\\?\\" + device + "#" + instance + "#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}", ""});
        m.drives[(char)('A' + i)] = sim::Drive{DRIVE_REMOVABLE, volume, ""};
        // On Windows 7 the volume's own identifier carries the disk's instance.
        std::string own = win7 ? "STORAGE\\Volume\\_??_USBSTOR#Disk&Ven_Generic&Prod_Flash_Disk&Rev_8.01#" +
                                     std::string(instance) + "#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}"
                               : "STORAGE\\RemovableMedia\\8&" + std::string(tag) + "&0&RM";
        m.volumes.push_back({"\\\\?\\storage#removablemedia#8&" + std::string(tag) +
                                 "&0&rm#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}",
                             own, parent, volume});
    }
    m.vendor.installed = true;
    return m;
}

struct Count {
    size_t total = 0;
    std::map<std::string, int> byOperation;
};

Count Calls(const sim::Machine &m, bool key)
{
    StartProcess(m);
    if (key) {
        unsigned char buffer[32];
        GetIDKey(buffer);
    } else {
        GetUSBDriveLetter();
    }
    Count c;
    for (const std::string &op : sim::CallLog()) ++c.byOperation[op];
    c.total = sim::CallLog().size();
    return c;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc > 2) {
        std::fprintf(stderr, "usage: morvalith-bench [Morvalith.dll]\n");
        return 2;
    }
    if (argc == 2) {
        if (FILE *f = std::fopen(argv[1], "rb")) {
            std::fseek(f, 0, SEEK_END);
            std::printf("%s: %ld bytes (limit 12288, checked on the built DLL)\n\n", argv[1], std::ftell(f));
            std::fclose(f);
        } else {
            std::printf("%s: not built\n\n", argv[1]);
        }
    }
    std::printf("%-8s %-6s %-18s %6s  %s\n", "system", "disks", "call", "calls", "by operation");
    for (bool win7 : {false, true}) {
        for (int n : {1, 4, 8, 16, 26}) {
            for (bool key : {false, true}) {
                Count c = Calls(Generated(n, win7), key);
                std::string ops;
                for (const auto &op : c.byOperation) ops += " " + op.first + "=" + std::to_string(op.second);
                std::printf("%-8s %2dx%-3d %-18s %6zu %s\n", win7 ? "win7" : "winxp", n, n,
                            key ? "GetIDKey" : "GetUSBDriveLetter", c.total, ops.c_str());
            }
        }
    }
    return 0;
}
