// The description's own helpers: the rule for the adapter count, and the
// built-in machine.
#include "description.h"

namespace sim {

int AdapterCount(const AspiManager &a) { return a.adapterCount >= 0 ? a.adapterCount : (int)a.adapters.size(); }

Machine DefaultMachine()
{
    Machine m;
    const std::string instance = "7&1a2b3c4d&0";
    m.disks.push_back({"\\\\?\\usbstor#disk&ven_generic&prod_flash_disk&rev_8.01#" + instance +
                           "#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}",
                       "flash"});
    ScsiDevice flash;
    std::vector<uint8_t> sector(512);
    for (size_t i = 0; i < sector.size(); ++i) sector[i] = (uint8_t)(i * 7 + 3);
    flash.answers[0x82] = ScsiAnswer{kGood, sector, {}};
    m.devices["flash"] = flash;
    m.drives['C'] = Drive{kDriveFixed, "\\\\?\\Volume{00000000-0000-0000-0000-00000000000c}\\", ""};
    m.drives['E'] = Drive{kDriveRemovable, "\\\\?\\Volume{6f1e2d3c-4b5a-11e0-9a8b-00000000000e}\\", ""};
    m.volumes.push_back({"\\\\?\\storage#removablemedia#8&2f3e4d5c&0&rm#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}",
                         "STORAGE\\RemovableMedia\\8&2F3E4D5C&0&RM",
                         "USBSTOR\\Disk&Ven_Generic&Prod_Flash_Disk&Rev_8.01\\" + instance,
                         "\\\\?\\Volume{6f1e2d3c-4b5a-11e0-9a8b-00000000000e}\\"});
    m.vendor.installed = true;
    for (size_t i = 0; i < m.vendor.key.size(); ++i) m.vendor.key[i] = (uint8_t)(0xC0 + i);
    return m;
}

}  // namespace sim
