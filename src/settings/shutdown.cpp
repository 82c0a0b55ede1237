#include "settings/shutdown.h"

#include "channels/channel_map.h"
#include "driver/status/korda_err.h"
#include "panel/api/control_ids.h"
#include "panel/api/message_box.h"
#include "panel/api/ui.h"

#include <filesystem>

using channel_map::Role;

void prepareForSaving(AppState &app, int panel)
{
    for (int k = 1; k <= kCardPositions; ++k)
        ui::setInt(panel, channel_map::positionControls(k).interlock, 0);
    for (int k = 1; k <= kCardPositions; ++k)
        ui::setText(panel, channel_map::positionControls(k).module, "");
    ui::setInt(panel, ctrl::INTERLOCK_MSG, 0);
    app.WindowLeft = ui::panelLeft(panel);
    ui::setInt(panel, ctrl::LEFT, app.WindowLeft);
    app.WindowTop = ui::panelTop(panel);
    ui::setInt(panel, ctrl::TOP, app.WindowTop);
    ui::clearMessages(panel);
}

std::string shownStateFile(const AppState &app)
{
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(app.TavrinStateFile, error);
    return error ? app.TavrinStateFile : path.string();
}

namespace {

// A step is taken when quit has not begun it yet and its card can still be
// addressed.
bool due(const AppState &app, const SafeStep &step, const SafeStep &reached)
{
    return step.comesAfter(reached) && !app.stopSFPdueToFail && app.card(step.position).cardFound;
}

} // namespace

EndWithoutDisplay finishWithoutDisplay(AppState &app)
{
    const int panel = app.bsdpanel;
    // The popup that may be open belongs to the display that is gone.
    ui::setPopupsUnattended(true, false);
    const SafeStep reached = app.quitStep; // the first step when no quit was under way
    app.quitting = true;
    // Quit holds a sink setpoint aside while it sends 0: put it back.
    if (reached.position > 0 && reached.kind == SafeStep::SinkZero && app.sink_value > 0)
        ui::setInt(panel, channel_map::controlOf(reached.channel, Role::CurrentSink), app.sink_value);

    for (int k = 1; k <= kCardPositions; ++k) {
        for (int n = channel_map::firstChannelOf(k); n <= channel_map::lastChannelOf(k); ++n) {
            const int sub = channel_map::subUnitOf(n);
            if (due(app, {k, n, SafeStep::SinkZero}, reached))
                KORDA_CHECK(app, KORDA_BattSetCurrent(app.sessionID, app.card(k).Card, sub, 0.0));
            if (due(app, {k, n, SafeStep::OutputOff}, reached)) {
                ui::setInt(panel, channel_map::controlOf(n, Role::Enable), 0);
                KORDA_CHECK(app, KORDA_BattSetEnable(app.sessionID, app.card(k).Card, sub, 0));
            }
        }
        if (due(app, {k, 0, SafeStep::Close}, reached))
            KORDA_CHECK(app, KORDA_CloseSpecifiedCard(app.sessionID, app.card(k).Card));
    }

    EndWithoutDisplay end;
    end.chassisLost = app.stopSFPdueToFail != 0;
    for (int k = 1; k <= kCardPositions; ++k)
        end.cards += app.card(k).cardFound != 0;
    // Before the panel has recalled its state there is nothing of the
    // operator's to keep, and a save would only overwrite the file.
    if (panel > 0 && !app.TavrinStateFile.empty()) {
        prepareForSaving(app, panel);
        end.stateSaved = ui::savePanelState(panel, app.TavrinStateFile, 0, &end.saveError) == 0;
    }
    return end;
}
