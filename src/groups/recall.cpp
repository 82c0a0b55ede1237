// Re-call of the setpoints of the found cards: the dimmed controls become
// operable again. The sink currents are re-sent; the voltages reach their card
// when committed or when their channel is switched on.
#include "app/app_state.h"
#include "channels/channel_callbacks.h"
#include "channels/channel_map.h"
#include "groups/group_callbacks.h"
#include "panel/ui.h"

using channel_map::Role;

int re_current_all(int panel, int, int event, void *callbackData, int eventData1, int eventData2)
{
    const AppState &app = *static_cast<AppState *>(callbackData);
    if (event != ui::kCommit)
        return 0;
    ui::setText(panel, ctrl::MSGBOX, "re-call Current values...\n");
    for (int k = 1; k <= kCardPositions; ++k) {
        if (!app.card(k).cardFound)
            continue;
        for (int n = channel_map::firstChannelOf(k); n <= channel_map::lastChannelOf(k); ++n) {
            const int sink = channel_map::controlOf(n, Role::CurrentSink);
            ui::setDimmed(panel, sink, false);
            ctrl_current_sink(panel, sink, ui::kCommit, callbackData, eventData1, eventData2);
        }
    }
    ui::processDrawEvents(panel);
    ui::setText(panel, ctrl::MSGBOX, "done\n");
    ui::setInt(panel, ctrl::RE_CALL_CUURENT_ALL, 0);
    return 0;
}

int re_enable_all(int panel, int, int event, void *callbackData, int, int)
{
    const AppState &app = *static_cast<AppState *>(callbackData);
    if (event != ui::kCommit)
        return 0;
    ui::setText(panel, ctrl::MSGBOX, "re-call Voltage values...\n");
    for (int k = 1; k <= kCardPositions; ++k) {
        if (!app.card(k).cardFound)
            continue;
        for (int n = channel_map::firstChannelOf(k); n <= channel_map::lastChannelOf(k); ++n) {
            ui::setDimmed(panel, channel_map::controlOf(n, Role::Enable), false);
            ui::setDimmed(panel, channel_map::controlOf(n, Role::Voltage), false);
        }
    }
    ui::processDrawEvents(panel);
    ui::setText(panel, ctrl::MSGBOX, "done\n");
    ui::setInt(panel, ctrl::RE_ENABLE_ALL, 0);
    return 0;
}
