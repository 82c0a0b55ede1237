// Reset after an interlock: every output switch off on the panel, every
// setpoint dimmed (not in force until re-called), every found card cleared.
#include "channels/channel_map.h"
#include "driver/status/korda_err.h"
#include "groups/group_callbacks.h"
#include "panel/api/message_box.h"
#include "panel/api/ui.h"
#include "state/app_state.h"

using channel_map::Role;

int reset(int panel, int, int event, void *callbackData, int, int)
{
    AppState &app = stateOf(callbackData);
    if (event != ui::kCommit)
        return 0;
    if (app.stopSFPdueToFail)
        return 0;
    ui::appendMessage(panel, "\nR E S E T");
    // Panel values only: the cards are cleared below, card by card.
    for (int n = 1; n <= kChannels; ++n)
        ui::setInt(panel, channel_map::controlOf(n, Role::Enable), 0);
    for (const Role role : {Role::Voltage, Role::CurrentSink})
        for (int n = 1; n <= kChannels; ++n)
            ui::setDimmed(panel, channel_map::controlOf(n, role), true);
    for (int k = 1; k <= kCardPositions; ++k)
        if (app.card(k).cardFound)
            KORDA_CHECK(app, KORDA_ClearCard(app.sessionID, app.card(k).Card));
    ui::appendMessage(panel, "...done\n");
    return 0;
}
