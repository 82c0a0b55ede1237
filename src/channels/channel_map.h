// Where each of the 42 channels lives: card position, sub-unit and panel
// controls. Pure functions of the panel's identifier layout: each position owns
// a block of 27 identifiers (three set-all buttons, then six voltage, six sink
// current, six name and six enable controls).
#pragma once

#include "panel/api/control_ids.h"
#include "state/app_state.h"

#include <optional>

namespace channel_map {

// The counts themselves (kCardPositions, kChannelsPerCard, kChannels) are
// those of the shared state.

enum class Role { Voltage, CurrentSink, Name, Enable };

constexpr bool isChannel(int n) { return n >= 1 && n <= kChannels; }
constexpr bool isPosition(int k) { return k >= 1 && k <= kCardPositions; }

constexpr int positionOf(int channel) { return (channel - 1) / kChannelsPerCard + 1; }
constexpr int subUnitOf(int channel) { return (channel - 1) % kChannelsPerCard + 1; }
constexpr int firstChannelOf(int position) { return (position - 1) * kChannelsPerCard + 1; }
constexpr int lastChannelOf(int position) { return position * kChannelsPerCard; }

constexpr int roleOffset(Role role)
{
    switch (role) {
    case Role::Voltage:
        return 0;
    case Role::CurrentSink:
        return ctrl::CURRENT_SINK_CH_1 - ctrl::VOLTAGE_CH_1;
    case Role::Name:
        return ctrl::strCh_1 - ctrl::VOLTAGE_CH_1;
    case Role::Enable:
        return ctrl::ENABLE_1 - ctrl::VOLTAGE_CH_1;
    }
    return 0;
}

inline constexpr int kBlockSize = ctrl::VOLTAGE_CH_7 - ctrl::VOLTAGE_CH_1;

// The first control of a role at a position: 22, 28, 34 and 40 for position 1.
constexpr int firstControlOf(int position, Role role)
{
    return ctrl::VOLTAGE_CH_1 + kBlockSize * (position - 1) + roleOffset(role);
}

// The control of a role for channel n.
constexpr int controlOf(int channel, Role role)
{
    return firstControlOf(positionOf(channel), role) + subUnitOf(channel) - 1;
}

// The channel whose `role` control is `control`; nothing for any other control.
constexpr std::optional<int> channelOf(int control, Role role)
{
    for (int k = 1; k <= kCardPositions; ++k) {
        const int first = firstControlOf(k, role);
        if (control >= first && control < first + kChannelsPerCard)
            return firstChannelOf(k) + (control - first);
    }
    return std::nullopt;
}

// An enable switch's voltage control (the channel's own).
constexpr int voltageControlOfEnable(int enableControl)
{
    return enableControl - roleOffset(Role::Enable);
}

// The controls that belong to a card position as a whole.
struct PositionControls {
    int module;      // identity text
    int serial;      // SN field
    int interlock;   // interlock lamp
    int available;   // not-available lamp
    int setVoltage;  // set-all buttons
    int setSink;
    int enableAll;
};

constexpr PositionControls positionControls(int position)
{
    constexpr PositionControls table[kCardPositions] = {
        {ctrl::MODULE_1, ctrl::SN_1, ctrl::INTERLOCK_1, ctrl::AVAILABLE_1, ctrl::SET_V_ALL_MODULE1,
         ctrl::SET_SINK_ALL_MODULE1, ctrl::ENABLE_ALL_MODULE1},
        {ctrl::MODULE_2, ctrl::SN_2, ctrl::INTERLOCK_2, ctrl::AVAILABLE_2, ctrl::SET_V_ALL_MODULE2,
         ctrl::SET_SINK_ALL_MODULE2, ctrl::ENABLE_ALL_MODULE2},
        {ctrl::MODULE_3, ctrl::SN_3, ctrl::INTERLOCK_3, ctrl::AVAILABLE_3, ctrl::SET_V_ALL_MODULE3,
         ctrl::SET_SINK_ALL_MODULE3, ctrl::ENABLE_ALL_MODULE3},
        {ctrl::MODULE_4, ctrl::SN_4, ctrl::INTERLOCK_4, ctrl::AVAILABLE_4, ctrl::SET_V_ALL_MODULE4,
         ctrl::SET_SINK_ALL_MODULE4, ctrl::ENABLE_ALL_MODULE4},
        {ctrl::MODULE_5, ctrl::SN_5, ctrl::INTERLOCK_5, ctrl::AVAILABLE_5, ctrl::SET_V_ALL_MODULE5,
         ctrl::SET_SINK_ALL_MODULE5, ctrl::ENABLE_ALL_MODULE5},
        {ctrl::MODULE_6, ctrl::SN_6, ctrl::INTERLOCK_6, ctrl::AVAILABLE_6, ctrl::SET_V_ALL_MODULE6,
         ctrl::SET_SINK_ALL_MODULE6, ctrl::ENABLE_ALL_MODULE6},
        {ctrl::MODULE_7, ctrl::SN_7, ctrl::INTERLOCK_7, ctrl::AVAILABLE_7, ctrl::SET_V_ALL_MODULE7,
         ctrl::SET_SINK_ALL_MODULE7, ctrl::ENABLE_ALL_MODULE7},
    };
    return table[position - 1];
}

} // namespace channel_map
