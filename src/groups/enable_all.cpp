// Switches on every channel of every found card, once the operator has
// confirmed the warning about cascaded outputs.
#include "channels/channel_callbacks.h"
#include "channels/channel_map.h"
#include "groups/group_callbacks.h"
#include "panel/api/ui.h"
#include "state/app_state.h"

namespace {

const char kTitle[] = "Enable All 42 Channels";
const char kWarning[] = "Would you really like to enable all 42 channels?\n\n"
                        "In case of 42 channels are cascaded then high Voltage can occur: Maximum 42 * 7V = 294V\n";
const int kYes = 1;

} // namespace

int enable_all(int panel, int, int event, void *callbackData, int eventData1, int eventData2)
{
    const AppState &app = stateOf(callbackData);
    if (event != ui::kCommit)
        return 0;
    if (ui::confirmPopup(kTitle, kWarning) != kYes)
        return 0;
    for (int k = 1; k <= kCardPositions; ++k) {
        if (!app.card(k).cardFound)
            continue;
        const int first = channel_map::firstControlOf(k, channel_map::Role::Enable);
        for (int enable = first; enable < first + kChannelsPerCard; ++enable) {
            ui::setInt(panel, enable, 1);
            ctrl_enable(panel, enable, ui::kCommit, callbackData, eventData1, eventData2);
            ui::processDrawEvents(panel); // its lines show as it goes, at most once a frame
        }
    }
    return 0;
}
