#include "app/startup.h"

#include "app/callback_table.h"
#include "app/discovery.h"
#include "app/state_file_name.h"
#include "channels/channel_map.h"
#include "groups/setpoint_sets.h"
#include "panel/api/control_ids.h"
#include "panel/api/message_box.h"
#include "panel/api/ui.h"

#include <filesystem>

using channel_map::Role;

namespace {

#if TAVR_SIMULATED_CHASSIS
const char kSimulatedMark[] = "  [SIMULATED CHASSIS - no hardware]";
#endif

void applyCommandLine(AppState &app, const std::string &commandLine)
{
    if (!app.CMD_ACTIVE)
        return;
    ui::setText(app.bsdpanel, ctrl::IPADDRESS, commandLine);
    ui::setInt(app.bsdpanel, ctrl::PXI, 0);
}

// A recalled 0 leaves the definition's position. The panel keeps itself on
// the screen it opens on: a position that would put part of it off screen
// (a monitor gone since, a smaller one) is moved in when it is shown.
void restoreWindowPosition(AppState &app)
{
    const int panel = app.bsdpanel;
    app.WindowLeft = ui::getInt(panel, ctrl::LEFT);
    if (app.WindowLeft != 0)
        ui::setPanelLeft(panel, app.WindowLeft);
    app.WindowTop = ui::getInt(panel, ctrl::TOP);
    if (app.WindowTop != 0)
        ui::setPanelTop(panel, app.WindowTop);
}

// What the panel is connected to, for the status line.
void showConnection(const AppState &app)
{
    const int panel = app.bsdpanel;
    std::string text = ui::getInt(panel, ctrl::PXI) != 0 ? "Chassis: PXI (local)"
                                                        : "Chassis: LXI at " + ui::getText(panel, ctrl::IPADDRESS);
    std::error_code error;
    const std::filesystem::path file = std::filesystem::absolute(app.TavrinStateFile, error);
    text += "    State file: " + (error ? app.TavrinStateFile : file.string());
    ui::setPanelStatus(panel, text);
}

// The menu bar's commands, beside the controls of the panel definition. Its
// mnemonic is none of the buttons' (R for RESET, Q for QUIT).
void addCommands(int panel)
{
    ui::addPanelCommand(panel, "&Setpoints", "&Load setpoints...", "Ctrl+O", load_setpoints);
    ui::addPanelCommand(panel, "&Setpoints", "&Save setpoints...", "Ctrl+S", save_setpoints);
}

} // namespace

int startPanel(AppState &app, const std::string &commandLine, const std::string &uirPath, std::string *error,
               const std::string &recordFolder)
{
    app.bsdpanel = ui::loadPanel(uirPath, ctrl::kPanelName, callbackTable(), &app, error);
    if (app.bsdpanel < 0)
        return -1;
    // A definition that numbers its controls otherwise, or lacks one, would
    // have the program read and write the wrong controls: not shown at all.
    if (const std::string difference = ui::compiledControlsMismatch(app.bsdpanel); !difference.empty()) {
        ui::discardPanel(app.bsdpanel);
        app.bsdpanel = ui::kLoadInvalid;
        if (error)
            *error = uirPath + ": " + difference;
        return -1;
    }
    const int panel = app.bsdpanel;
    // The view of all channels shows what the run knows beside the controls.
    ui::setChannelReadings(panel, [&app](int n) {
        const ReadBack &read = app.readBack[static_cast<std::size_t>(n)];
        return ui::ChannelReadings{app.card(channel_map::positionOf(n)).cardFound != 0, read.volts, read.milliamps};
    });
    std::string title = ui::panelTitle(panel) + " " + TAVR_VERSION;
#if TAVR_SIMULATED_CHASSIS
    title += kSimulatedMark;
#endif
    ui::setPanelTitle(panel, title);
    addCommands(panel);

    app.CMD_ACTIVE = commandLine.empty() ? 0 : 1;
    app.TavrinStateFile = stateFileName(commandLine);
    ui::recordMessages(panel, ctrl::MSGBOX, recordFolder, commandLine); // named like the state file
    ui::recallPanelState(panel, app.TavrinStateFile, 0); // a missing or foreign file leaves the defaults
    applyCommandLine(app, commandLine);
    restoreWindowPosition(app);
    ui::setText(panel, ctrl::VERSION, kVersionText);
    ui::displayPanel(panel);
    ui::appendMessage(panel, " searching cards ");
    showConnection(app);
    DiscoverCards(app);
    markRecalledSettings(app);
    ui::processDrawEvents(panel);
    return 0;
}

void markRecalledSettings(AppState &app)
{
    const int panel = app.bsdpanel;
    for (int k = 1; k <= kCardPositions; ++k) {
        if (!app.card(k).cardFound)
            continue;
        const int first = channel_map::firstChannelOf(k);
        const int last = channel_map::lastChannelOf(k);
        for (int n = first; n <= last; ++n)
            if (ui::getInt(panel, channel_map::controlOf(n, Role::Enable)) != 0)
                ui::setDimmed(panel, channel_map::controlOf(n, Role::Enable), true);
        for (int n = first; n <= last; ++n)
            if (ui::getInt(panel, channel_map::controlOf(n, Role::CurrentSink)) > 0)
                ui::setDimmed(panel, channel_map::controlOf(n, Role::CurrentSink), true);
        for (int n = first; n <= last; ++n)
            if (ui::getDouble(panel, channel_map::controlOf(n, Role::Voltage)) > 0.0) // NaN is not above 0
                ui::setDimmed(panel, channel_map::controlOf(n, Role::Voltage), true);
    }
}
