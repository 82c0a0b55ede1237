// The panel state file: every control value of a panel, keyed by the
// controls' constant names, in a readable JSON file.
//
//   {"format": "tavr-panel-state", "version": 1, "panel": "BSDpanel",
//    "slots": {"0": {"VOLTAGE_CH_1": 1.05, "strCh_1": "1", ...}}}
//
// Saving replaces the file atomically: a crash or a full disk leaves the old
// file in place. A recall takes a file of another layout, panel or version
// for no file at all.
#pragma once

#include <QString>

namespace panel {

class PanelWindow;

enum StateFileResult : int {
    kStateOk = 0,
    kStateUnreadable = -1, // missing, unreadable, truncated or foreign
    kStateNoSlot = -2,
    kStateWriteFailed = -3,
};

int saveState(const PanelWindow &panel, const QString &path, int slot);
// Controls the file does not name, or names with a value of the wrong type,
// keep their values. Numbers are brought within their control's limits and
// texts cut to their field's length.
int recallState(PanelWindow &panel, const QString &path, int slot);

} // namespace panel
