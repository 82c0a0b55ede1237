// The set-all buttons of a module: the first channel's setting is copied to
// all six channels of the module and applied through the channel callbacks,
// as if the operator had entered it in each control in turn.
#include "channels/channel_callbacks.h"
#include "channels/channel_map.h"
#include "groups/group_callbacks.h"
#include "panel/api/message_box.h"
#include "panel/api/ui.h"
#include "state/app_state.h"

#include <optional>

using channel_map::Role;

namespace {

struct SetAllGroup {
    Role role;
    int firstControl;
    ui::Callback apply;
};

// The voltage buttons are looked at first, positions 1 to 7, then the
// current buttons, then the enable buttons.
std::optional<SetAllGroup> groupOfButton(int button)
{
    for (int k = 1; k <= kCardPositions; ++k)
        if (channel_map::positionControls(k).setVoltage == button)
            return SetAllGroup{Role::Voltage, channel_map::firstControlOf(k, Role::Voltage), ctrl_voltage_source};
    for (int k = 1; k <= kCardPositions; ++k)
        if (channel_map::positionControls(k).setSink == button)
            return SetAllGroup{Role::CurrentSink, channel_map::firstControlOf(k, Role::CurrentSink), ctrl_current_sink};
    for (int k = 1; k <= kCardPositions; ++k)
        if (channel_map::positionControls(k).enableAll == button)
            return SetAllGroup{Role::Enable, channel_map::firstControlOf(k, Role::Enable), ctrl_enable};
    return std::nullopt;
}

} // namespace

int set_all(int panel, int control, int event, void *callbackData, int eventData1, int eventData2)
{
    const AppState &app = stateOf(callbackData);
    if (event != ui::kCommit || app.stopSFPdueToFail)
        return 0;
    ui::appendMessage(panel, ui::constantName(panel, control) + "\n");

    if (const std::optional<SetAllGroup> group = groupOfButton(control)) {
        const int f = group->firstControl;
        // Read once: the first channel's own callback may not change what is copied.
        if (group->role == Role::Voltage) {
            const double doubleVal = ui::getDouble(panel, f);
            for (int i = 0; i < kChannelsPerCard; ++i) {
                ui::setDouble(panel, f + i, doubleVal);
                group->apply(panel, f + i, ui::kCommit, callbackData, eventData1, eventData2);
            }
        } else {
            const int32_t intVal = ui::getInt(panel, f);
            for (int i = 0; i < kChannelsPerCard; ++i) {
                ui::setInt(panel, f + i, intVal);
                group->apply(panel, f + i, ui::kCommit, callbackData, eventData1, eventData2);
            }
        }
    }
    ui::processDrawEvents(panel);
    ui::setInt(panel, control, 0);
    return 0;
}
