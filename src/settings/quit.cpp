// Quit: the one orderly end. Every found card gets sink current 0 and its
// outputs off through the channel callbacks and is closed; the panel is
// cleared for saving, its state saved, and the event loop ended. The sink
// setpoints are kept for the next run: put back into their controls, dimmed.
#include "channels/channel_callbacks.h"
#include "channels/channel_map.h"
#include "driver/status/korda_err.h"
#include "panel/api/message_box.h"
#include "panel/api/ui.h"
#include "settings/settings_callbacks.h"
#include "settings/shutdown.h"
#include "state/app_state.h"

#include <cstdio>

using channel_map::Role;

namespace {

// The enable operation refuses while the channel's voltage is dimmed (after a
// reset, or at a start that recalled a voltage), so it sends no "off" then.
// The output may still be on from before this run (a panel that was killed):
// quit switches it off itself, so that every found card ends with its outputs off.
void ensureOutputOff(AppState &app, int n)
{
    const CardSlot &slot = app.card(channel_map::positionOf(n));
    if (app.stopSFPdueToFail || !slot.cardFound)
        return;
    KORDA_CHECK(app, KORDA_BattSetEnable(app.sessionID, slot.Card, channel_map::subUnitOf(n), 0));
}

void switchOffChannel(AppState &app, int panel, int n, void *callbackData, int eventData1, int eventData2)
{
    const int k = channel_map::positionOf(n);
    const int sink = channel_map::controlOf(n, Role::CurrentSink);
    app.quitStep = {k, n, SafeStep::SinkZero};
    app.sink_value = ui::getInt(panel, sink);
    ui::setInt(panel, sink, 0);
    ctrl_current_sink(panel, sink, ui::kCommit, callbackData, eventData1, eventData2);
    if (app.sink_value > 0) {
        ui::setInt(panel, sink, app.sink_value);
        ui::setDimmed(panel, sink, true);
    }
    const int enable = channel_map::controlOf(n, Role::Enable);
    app.quitStep = {k, n, SafeStep::OutputOff};
    ui::setInt(panel, enable, 0);
    ctrl_enable(panel, enable, ui::kCommit, callbackData, eventData1, eventData2);
    if (ui::isDimmed(panel, channel_map::controlOf(n, Role::Voltage)))
        ensureOutputOff(app, n);
}

// An operator who started the panel from the desktop sees no standard error:
// without a word they would find old or default settings at the next start.
// The cards are safe and closed by now, so the popup holds up nothing that
// matters. After a signal nobody is at the panel: the popup only prints.
void reportStateNotSaved(AppState &app, const std::string &reason)
{
    app.stateNotSaved = true;
    const std::string text = "The settings of this run were not saved to " + shownStateFile(app) + ": "
                             + reason + ".\nA file that was there is unchanged; the next start recalls it, or the "
                               "panel's defaults where there is none.\n";
    if (!app.unattendedQuit)
        std::fprintf(stderr, "tavr: %s", text.c_str());
    ui::messagePopup("Settings not saved", text);
}

} // namespace

int quit(int panel, int, int event, void *callbackData, int eventData1, int eventData2)
{
    AppState &app = stateOf(callbackData);
    if (event != ui::kCommit || app.quitting)
        return 0;
    app.quitting = true;

    ui::setTimerEnabled(panel, ctrl::TIMER, false);
    ui::appendMessage(panel, "\nprogram terminating...");
    for (int k = 1; k <= kCardPositions; ++k) {
        if (!app.card(k).cardFound)
            continue;
        for (int n = channel_map::firstChannelOf(k); n <= channel_map::lastChannelOf(k); ++n) {
            switchOffChannel(app, panel, n, callbackData, eventData1, eventData2);
            if (n == 1)
                ui::processDrawEvents(panel);
        }
        app.quitStep = {k, 0, SafeStep::Close};
        KORDA_CHECK(app, KORDA_CloseSpecifiedCard(app.sessionID, app.card(k).Card));
        ui::processDrawEvents(panel);
    }
    prepareForSaving(app, panel);
    ui::processDrawEvents(panel);
    // A failed save ends the program all the same, once the operator is told.
    if (std::string reason; ui::savePanelState(panel, app.TavrinStateFile, 0, &reason) != 0)
        reportStateNotSaved(app, reason);
    ui::appendMessage(panel, "done\n");
    ui::quitUserInterface();
    return 0;
}
