#include "app/callback_table.h"

#include "channels/channel_callbacks.h"
#include "groups/group_callbacks.h"
#include "monitor/poll.h"
#include "settings/settings_callbacks.h"

const ui::CallbackTable &callbackTable()
{
    static const ui::CallbackTable table = {
        {"ctrl_voltage_source", ctrl_voltage_source},
        {"ctrl_current_sink", ctrl_current_sink},
        {"ctrl_enable", ctrl_enable},
        {"timer", timer},
        {"set_all", set_all},
        {"enable_all", enable_all},
        {"re_current_all", re_current_all},
        {"re_enable_all", re_enable_all},
        {"reset", reset},
        {"select_chassis", select_chassis},
        {"select_SN", select_SN},
        {"select_IP", select_IP},
        {"quit", quit},
    };
    return table;
}
