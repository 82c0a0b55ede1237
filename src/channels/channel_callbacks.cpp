// Voltage, sink current and output enable of one channel. Each writes one
// line into the message box: the control's name, the value set, the value read
// back from the card (voltage and current) and the channel's name; a driver
// error report lands inside that line where the failing call stands.
#include "channels/channel_callbacks.h"

#include "channels/channel_map.h"
#include "driver/status/korda_err.h"
#include "panel/api/message_box.h"
#include "panel/api/ui.h"
#include "state/app_state.h"
#include "state/text.h"

#include <optional>
#include <string>

using channel_map::Role;

namespace {

// Channel names appear in the lines with at most this many characters.
const std::size_t kNameChars = 15;

// Shown instead of a read-back when the channel's card was not found: nothing
// was sent, and reading back another channel's value would mislead.
const char kNotSent[] = " --> not sent (no card)  ";
// Shown instead of a read-back whose driver call failed: its error report
// stands just before, and a number here would look like the card's reading.
const char kNotRead[] = " --> (not read)  ";

// The channel of `control` in `role`, when its card position holds a card.
std::optional<int> addressableChannel(const AppState &app, int control, Role role)
{
    const std::optional<int> n = channel_map::channelOf(control, role);
    if (n && app.card(channel_map::positionOf(*n)).cardFound)
        return n;
    return std::nullopt;
}

// Makes the channel the current one, for the driver set and its read-back.
void address(AppState &app, int channel)
{
    app.ch = channel_map::subUnitOf(channel);
    app.myCard = app.card(channel_map::positionOf(channel)).Card;
}

std::string channelName(int panel, int channel)
{
    return text::leftCharacters(ui::getText(panel, channel_map::controlOf(channel, Role::Name)), kNameChars);
}

} // namespace

int ctrl_voltage_source(int panel, int control, int event, void *callbackData, int, int)
{
    AppState &app = stateOf(callbackData);
    if (event != ui::kCommit || app.stopSFPdueToFail)
        return 0;
    ui::appendMessage(panel, ui::constantName(panel, control));
    const double doubleVal = ui::getDouble(panel, control);
    ui::appendMessage(panel, " - " + text::fixed(doubleVal, 3) + "V");

    std::string name;
    if (const std::optional<int> n = addressableChannel(app, control, Role::Voltage)) {
        address(app, *n);
        KORDA_CHECK(app, KORDA_BattSetVoltage(app.sessionID, app.myCard, app.ch, doubleVal));
        name = channelName(panel, *n);
        double doubleValget = 0.0;
        std::optional<double> &readBack = app.readBack[static_cast<std::size_t>(*n)].volts;
        readBack.reset();
        if (KORDA_CHECK(app, KORDA_BattGetVoltage(app.sessionID, app.myCard, app.ch, &doubleValget)) != 0) {
            ui::appendMessage(panel, kNotRead);
        } else {
            readBack = doubleValget;
            ui::appendMessage(panel, " --> " + text::fixed(doubleValget, 4) + "V  ");
        }
    } else {
        ui::appendMessage(panel, kNotSent);
    }
    ui::appendMessage(panel, " ch" + name + "\n");
    return 0;
}

int ctrl_current_sink(int panel, int control, int event, void *callbackData, int, int)
{
    AppState &app = stateOf(callbackData);
    if (event != ui::kCommit || app.stopSFPdueToFail)
        return 0;
    ui::appendMessage(panel, ui::constantName(panel, control));
    const int32_t intVal = ui::getInt(panel, control);
    ui::appendMessage(panel, " - " + std::to_string(intVal) + "mA");
    const double doubleVal = static_cast<double>(intVal) / 1000.0; // the card works in amperes

    std::string name;
    if (const std::optional<int> n = addressableChannel(app, control, Role::CurrentSink)) {
        address(app, *n);
        KORDA_CHECK(app, KORDA_BattSetCurrent(app.sessionID, app.myCard, app.ch, doubleVal));
        name = channelName(panel, *n);
        double doubleValget = 0.0;
        std::optional<double> &readBack = app.readBack[static_cast<std::size_t>(*n)].milliamps;
        readBack.reset();
        if (KORDA_CHECK(app, KORDA_BattGetCurrent(app.sessionID, app.myCard, app.ch, &doubleValget)) != 0) {
            ui::appendMessage(panel, kNotRead);
        } else {
            doubleValget = 1000.0 * doubleValget;
            readBack = doubleValget;
            ui::appendMessage(panel, " --> " + text::fixed(doubleValget, 0) + "mA  ");
        }
    } else {
        ui::appendMessage(panel, kNotSent);
    }
    ui::appendMessage(panel, " ch" + name + "\n");
    return 0;
}

int ctrl_enable(int panel, int control, int event, void *callbackData, int eventData1, int eventData2)
{
    AppState &app = stateOf(callbackData);
    if (event != ui::kCommit || app.stopSFPdueToFail)
        return 0;
    ui::appendMessage(panel, ui::constantName(panel, control));
    const int32_t intVal = ui::getInt(panel, control);
    ui::appendMessage(panel, " - " + std::to_string(intVal) + "  ");
    const int voltageControl = channel_map::voltageControlOfEnable(control);

    std::string name;
    if (const std::optional<int> n = addressableChannel(app, control, Role::Enable)) {
        // A dimmed voltage is not in force on the card: the channel stays off
        // until the voltage is re-called.
        if (ui::isDimmed(panel, voltageControl)) {
            ui::clearMessages(panel);
            ui::setInt(panel, control, 0);
            return 0;
        }
        address(app, *n);
        KORDA_CHECK(app, KORDA_BattSetEnable(app.sessionID, app.myCard, app.ch, intVal));
        name = channelName(panel, *n);
    } else {
        ui::appendMessage(panel, "--> not sent (no card)");
    }
    ui::appendMessage(panel, "  ch" + name + "\n");
    if (intVal != 0)
        ctrl_voltage_source(panel, voltageControl, ui::kCommit, callbackData, eventData1, eventData2);
    return 0;
}
