// The panel state file: every control value of a panel, keyed by the
// controls' constant names, in a readable JSON file.
//
//   {"format": "tavr-panel-state", "version": 1, "panel": "BSDpanel",
//    "slots": {"0": {"VOLTAGE_CH_1": 1.05, "strCh_1": "1", ...}}}
//
// Saving replaces the file atomically: a crash or a full disk leaves the old
// file in place; the temporary file of a save that was killed goes at the
// next save. A symbolic link in the file's place is replaced by the new
// file; the file it pointed to is left as it was. A recall takes a file of
// another layout, panel or version, anything that is not a regular file
// (after following links) and anything above 1 MiB for no file at all.
#pragma once

#include <QByteArray>
#include <QString>

namespace panel {

class PanelWindow;

enum StateFileResult : int {
    kStateOk = 0,
    kStateUnreadable = -1, // missing, unreadable, truncated or foreign
    kStateNoSlot = -2,
    kStateWriteFailed = -3,
};

// A failed save gives the system's reason in `reason` ("No space left on device").
int saveState(const PanelWindow &panel, const QString &path, int slot, QString *reason = nullptr);
// Controls the file does not name, or names with a value of the wrong type,
// keep their values. Numbers are brought within their control's limits and
// texts cut to their field's length (4096 characters where it has none); a
// character that could forge a log line (recalled_text.h) shows as U+FFFD.
// Indicators (lamps, the message box, display-only text fields) and fixed
// texts are never recalled: they show what this run finds.
int recallState(PanelWindow &panel, const QString &path, int slot);
// The same from the file's content.
int recallStateFromBytes(PanelWindow &panel, const QByteArray &content, int slot);

} // namespace panel
