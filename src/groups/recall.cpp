// Re-call of the setpoints of the found cards: the dimmed controls become
// operable again. The sink currents are re-sent; the voltages reach their card
// when committed or when their channel is switched on.
#include "channels/channel_callbacks.h"
#include "channels/channel_map.h"
#include "groups/group_callbacks.h"
#include "panel/api/message_box.h"
#include "panel/api/ui.h"
#include "state/app_state.h"

using channel_map::Role;

int re_current_all(int panel, int, int event, void *callbackData, int eventData1, int eventData2)
{
    const AppState &app = stateOf(callbackData);
    if (event != ui::kCommit)
        return 0;
    ui::appendMessage(panel, "re-call Current values...\n");
    for (int k = 1; k <= kCardPositions; ++k) {
        if (!app.card(k).cardFound)
            continue;
        for (int n = channel_map::firstChannelOf(k); n <= channel_map::lastChannelOf(k); ++n) {
            const int sink = channel_map::controlOf(n, Role::CurrentSink);
            ui::setDimmed(panel, sink, false);
            ctrl_current_sink(panel, sink, ui::kCommit, callbackData, eventData1, eventData2);
            ui::processDrawEvents(panel); // its lines show as it goes, at most once a frame
        }
    }
    ui::processDrawEvents(panel);
    ui::appendMessage(panel, "done\n");
    ui::setInt(panel, ctrl::RE_CALL_CUURENT_ALL, 0);
    return 0;
}

int re_enable_all(int panel, int, int event, void *callbackData, int, int)
{
    const AppState &app = stateOf(callbackData);
    if (event != ui::kCommit)
        return 0;
    ui::appendMessage(panel, "re-call Voltage values...\n");
    for (int k = 1; k <= kCardPositions; ++k) {
        if (!app.card(k).cardFound)
            continue;
        for (int n = channel_map::firstChannelOf(k); n <= channel_map::lastChannelOf(k); ++n) {
            ui::setDimmed(panel, channel_map::controlOf(n, Role::Enable), false);
            ui::setDimmed(panel, channel_map::controlOf(n, Role::Voltage), false);
        }
    }
    ui::processDrawEvents(panel);
    ui::appendMessage(panel, "done\n");
    ui::setInt(panel, ctrl::RE_ENABLE_ALL, 0);
    return 0;
}
