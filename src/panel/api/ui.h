// The panel API the application logic is written against.
//
// Panels are addressed by handle and controls by identifier (panel/api/control_ids.h).
// The implementation maps this onto Qt widgets; nothing here exposes Qt, so the
// logic layers stay free of it. Rules the implementation keeps:
//  - one callback at a time; a timer tick that falls due while a callback (or a
//    popup it opened) runs is dropped;
//  - setting a value from code never runs the control's callback;
//  - setting the value of a text box APPENDS the text, exactly as given;
//  - dimmed means the operator cannot change the control.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace ui {

// Events a callback receives.
enum Event : int {
    kCommit = 1,    // the operator changed a value or pressed a button
    kTimerTick = 2, // a timer control's interval elapsed
};

using Callback = int (*)(int panel, int control, int event, void *callbackData, int eventData1,
                         int eventData2);

// Callback names of the panel definition, resolved at load.
using CallbackTable = std::map<std::string, Callback>;

// Load results below zero.
enum LoadError : int {
    kLoadFileMissing = -1,
    kLoadInvalid = -2, // unreadable, malformed, or without that panel
    kLoadUnknownCallback = -4,
};

// Loads panel `panelName` from the definition file at `path`. Every control's
// callback receives `callbackData`. Returns the panel handle (> 0) or a LoadError;
// `error`, when given, receives a readable reason.
int loadPanel(const std::string &path, const std::string &panelName, const CallbackTable &callbacks,
              void *callbackData, std::string *error = nullptr);
// How the loaded panel differs from the controls the program was built for
// (panel/api/control_ids.h), naming the control; empty when it does not.
std::string compiledControlsMismatch(int panel);
void discardPanel(int panel);
// Shows the panel within the screen it opens on and returns once it is on
// the screen and painted; no input or timer event is handled meanwhile.
void displayPanel(int panel);

// Runs the event loop until quitUserInterface() is called from a callback.
int runUserInterface();
void quitUserInterface();
bool userInterfaceQuitRequested();
// Commits `control` on the program's own behalf, as the operator's commit
// would: at once when no callback runs and the event loop runs; otherwise as
// soon as the running callback has returned, or when the event loop starts,
// ahead of any operator commit still waiting. Nothing is committed once the
// event loop has been told to quit.
void requestCommit(int panel, int control);

// Commands of the panel's menu bar, beside the controls of its definition.
// A command receives the panel and the panel's callback data.
using Command = void (*)(int panel, void *callbackData);
// Adds `text` to the menu `menu` of the panel's menu bar, made with the menu's
// first command; in both, "&" marks the mnemonic. `shortcut` is a key
// sequence as "Ctrl+O", empty for none. A command is dispatched as a callback
// is: one at a time, no tick while it runs, operator commits that arrive
// meanwhile after it, its repaint paced at its end, and not at all once the
// event loop has been told to quit.
void addPanelCommand(int panel, const std::string &menu, const std::string &text, const std::string &shortcut,
                     Command command);

// Values. Numeric controls hold a double or a 32-bit integer; toggles and LEDs
// hold 0 or 1; text fields, text messages and the text box hold text (UTF-8).
int32_t getInt(int panel, int control);
double getDouble(int panel, int control);
std::string getText(int panel, int control);
void setInt(int panel, int control, int32_t value);
void setDouble(int panel, int control, double value);
void setText(int panel, int control, const std::string &text); // text box: appends
void resetTextBox(int panel, int control, const std::string &text);

// Attributes.
bool isDimmed(int panel, int control);
void setDimmed(int panel, int control, bool dimmed);
bool isVisible(int panel, int control);
void setVisible(int panel, int control, bool visible);
std::string constantName(int panel, int control);
bool isTimerEnabled(int panel, int control);
void setTimerEnabled(int panel, int control, bool enabled);
int panelLeft(int panel);
int panelTop(int panel);
void setPanelLeft(int panel, int left);
void setPanelTop(int panel, int top);
std::string panelTitle(int panel);
// A status line of the panel, beside its controls: what it is connected to.
// The panel adds whether its timer still runs.
void setPanelStatus(int panel, const std::string &text);
void setPanelTitle(int panel, const std::string &title);

// What the logic knows of channel n (1..42) beyond its controls: whether its
// card was found, and what the card last read back for its setpoints (none
// before the first read-back, or after one that failed). The panel's view of
// all channels asks for it whenever it repaints.
struct ChannelReadings {
    bool cardFound = false;
    std::optional<double> volts;
    std::optional<double> milliamps;
    bool operator==(const ChannelReadings &) const = default;
};
void setChannelReadings(int panel, std::function<ChannelReadings(int channel)> source);

// The record of the text box `control`: from now on every line it receives
// also goes, with the local time it began, to a file in `folder` named after
// `address` (may be empty) and the day. An empty folder keeps no record. The
// status line names the file, or says the record is off or why it stopped;
// a failure is also written once to standard error. Nothing here raises a
// popup or stops the panel.
void recordMessages(int panel, int control, const std::string &folder, const std::string &address);

// Repaints the panel at once. Never dispatches input or timer ticks.
void processDrawEvents(int panel);

// Popups. Both wait for the operator and go through the popup seam (popups.h).
void messagePopup(const std::string &title, const std::string &text);
// Returns 1 when the operator chose "yes" (the first button), 2 for "no",
// and 0 when the popup was closed any other way.
int confirmPopup(const std::string &title, const std::string &text);

// The operator chooses a file, through the popup seam: an existing one to
// open, or one to save to (`suggestedName` offered). `filter` in the form
// "CSV files (*.csv);;All files (*)". Returns its path; empty when the
// operator chose none, and at once while popups are unattended.
std::string chooseFileToOpen(const std::string &title, const std::string &filter);
std::string chooseFileToSave(const std::string &title, const std::string &suggestedName, const std::string &filter);

// For when nobody may be at the panel (the program was told to end from
// outside): every popup open now is closed as if the operator had closed it,
// and so is every menu and modal dialog the operator opened (a context menu,
// the file dialog of Save As...), whose event loop would hold the end of the
// main one; from then on a message popup returns at once, its title and text
// written to standard error, and a confirmation answers "no". false restores
// waiting popups. `closeOpen` false leaves what is open as it is: where the
// display has gone, closing it would only talk to a display that is not there.
void setPopupsUnattended(bool unattended, bool closeOpen = true);

// Files the operator chose. Reading takes a regular file of at most
// `maxBytes` whole, never waiting on a FIFO or a device; writing replaces the
// file whole or leaves it as it was. Both return false with `why` (a reason
// in words) on failure.
bool readChosenFile(const std::string &path, std::size_t maxBytes, std::string &content, std::string &why);
bool writeChosenFile(const std::string &path, const std::string &content, std::string &why);

// Panel state file: every control value, keyed by constant name, under `slot`.
// Return 0 on success, negative on failure; neither reports anything. A failed
// save gives its reason in `reason`, as the system words it ("No space left on
// device"); the file that was there is left as it was.
int savePanelState(int panel, const std::string &path, int slot, std::string *reason = nullptr);
int recallPanelState(int panel, const std::string &path, int slot);

} // namespace ui
