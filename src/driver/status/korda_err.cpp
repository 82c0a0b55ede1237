#include "driver/status/korda_err.h"

#include "panel/api/control_ids.h"
#include "panel/api/message_box.h"
#include "panel/api/ui.h"
#include "state/text.h"

#include <cstdio>

namespace {

// The device line has room for an address of 15 characters.
const std::size_t kAddressChars = 15;
// The driver's description is asked for with this limit.
const int32_t kDescriptionLimit = 200;

std::string describe(KordaStatus status)
{
    char err_msg[256] = {};
    KORDA_ErrorCodeToMessage(status, err_msg, kDescriptionLimit); // its own result is not looked at
    err_msg[sizeof err_msg - 1] = '\0';
    return err_msg;
}

} // namespace

KordaStatus KORDA_ERR(AppState &app, int line, KordaStatus status)
{
    if (status == 0)
        return 0;

    char head[64];
    std::snprintf(head, sizeof head, "<ERROR 0x%x in line %i =", static_cast<unsigned>(status), line);
    std::string msg = head;
    msg += ' ';
    msg += describe(status);
    msg += ">\n";
    if (app.CMD_ACTIVE) {
        const std::string myIPaddress =
            text::leftCharacters(ui::getText(app.bsdpanel, ctrl::IPADDRESS), kAddressChars);
        msg += "\ndevice: " + myIPaddress + "\n";
    }
    ui::appendMessage(app.bsdpanel, msg);

    if (status == KORDA_STATUS_CONNECTION_LOST) {
        ui::setTimerEnabled(app.bsdpanel, ctrl::TIMER, false);
        msg += "\nSFP should be terminated and re-launched with a valid chassis connection...";
        app.stopSFPdueToFail = 1;
        ui::messagePopup("ERROR KORDA", msg);
        for (int k = kCardPositions; k >= 1; --k)
            app.card(k).cardFound = 0;
        return status;
    }
    ui::messagePopup("ERROR KORDA", msg);
    return status;
}
