// Chassis type, LAN address and serial numbers are read once at start-up;
// changing them tells the operator that they apply from the next start.
#include "settings/settings_callbacks.h"

#include "panel/api/control_ids.h"
#include "panel/api/ui.h"

int select_chassis(int panel, int, int event, void *, int, int)
{
    if (event != ui::kCommit)
        return 0;
    const int32_t intVal = ui::getInt(panel, ctrl::PXI);
    ui::setDimmed(panel, ctrl::IPADDRESS, intVal != 0);
    if (intVal != 0)
        ui::messagePopup("Chassis Selection", "PXI chassis selection,\n\nto take effect, please re-launch application");
    else
        ui::messagePopup("Chassis Selection", "LXI chassis selection,\n\nenter correct IP address\n\n"
                                              "to take effect, please re-launch application");
    return 0;
}

int select_SN(int, int, int event, void *, int, int)
{
    if (event != ui::kCommit)
        return 0;
    ui::messagePopup("S/N Settings",
                     "you changed the module's serial number settings,\n\nto take effect, please re-launch application");
    return 0;
}

int select_IP(int, int, int event, void *, int, int)
{
    if (event != ui::kCommit)
        return 0;
    ui::messagePopup("IP Address Settings",
                     "you changed the chassis' IP address settings,\n\nto take effect, please re-launch application");
    return 0;
}
