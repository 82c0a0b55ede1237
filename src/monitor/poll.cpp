// Every tick: each found card's interlock onto its lamp (blinking while the
// link is intact, dark while the interlock is active), a line per active
// interlock, and the read-backs of position 1 whose statuses are checked.
#include "monitor/poll.h"

#include "channels/channel_map.h"
#include "driver/status/korda_err.h"
#include "panel/api/message_box.h"
#include "panel/api/ui.h"
#include "state/app_state.h"

#include <string>

namespace {

const char kHintTitle[] = "User Information";
const char kHints[] =
    "- on ERROR 0x1013 Client:Parameter is NULL select the correct chassis (PXI or LXI) in use or set correct "
    "LXI IP Address\n\n"
    "- if card is not available verify or select correct S/N\n\n"
    "- if interlock is active, verify interlock link on front panel connector, press RESET to resume";

std::string interlockLine(int position)
{
    return "Interlock Card" + std::to_string(position) + " active (press RESET to resume)\n";
}

// Position 1 also reads back its first sub-unit; each call only while the
// chassis connection stands.
void readBackPositionOne(AppState &app)
{
    const KordaCard card = app.card(1).Card;
    double volts = 0.0;
    double amps = 0.0;
    int32_t state = 0;
    if (!app.stopSFPdueToFail)
        KORDA_CHECK(app, KORDA_BattGetVoltage(app.sessionID, card, app.sub, &volts));
    if (!app.stopSFPdueToFail)
        KORDA_CHECK(app, KORDA_BattGetCurrent(app.sessionID, card, app.sub, &amps));
    if (!app.stopSFPdueToFail)
        KORDA_CHECK(app, KORDA_BattGetEnable(app.sessionID, card, app.sub, &state));
}

} // namespace

int timer(int panel, int, int event, void *callbackData, int, int)
{
    AppState &app = stateOf(callbackData);
    if (event != ui::kTimerTick)
        return 0;
    const int32_t suppress = ui::getInt(panel, ctrl::INTERLOCK_MSG);

    if (app.launch != 1) {
        app.launch = 1;
        if (ui::getInt(panel, ctrl::STARTUP_MSG) == 0)
            ui::messagePopup(kHintTitle, kHints);
    }

    for (int k = 1; k <= kCardPositions; ++k) {
        CardSlot &slot = app.card(k);
        if (!slot.cardFound)
            continue;
        const int lamp = channel_map::positionControls(k).interlock;
        const int32_t lit = ui::getInt(panel, lamp);
        if (k != 1 || !app.stopSFPdueToFail) {
            app.sub = 1;
            app.error = KORDA_CHECK(app, KORDA_BattReadInterlockState(app.sessionID, slot.Card, app.sub, &slot.interlock));
        }
        // The card can no longer be read: no further tick, but this one ends.
        if (app.error == KORDA_STATUS_INTERLOCK_UNREADABLE)
            ui::setTimerEnabled(panel, ctrl::TIMER, false);

        if (slot.interlock == 0) {
            if (!suppress)
                ui::appendMessage(panel, interlockLine(k));
            ui::setInt(panel, lamp, 0);
        } else {
            ui::setInt(panel, lamp, lit == 0 ? 1 : 0);
        }
        if (k == 1)
            readBackPositionOne(app);
    }
    return 0;
}
