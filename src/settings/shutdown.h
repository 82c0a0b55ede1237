// What quit and the end without a display share.
#pragma once

#include "state/app_state.h"

#include <string>

// What the state file must not keep (lamps, identities, the interlock-message
// switch, the message box) cleared, and where the window stands written into
// LEFT and TOP. Paints nothing.
void prepareForSaving(AppState &app, int panel);

// The state file as the operator finds it: with its folder, where that is known.
std::string shownStateFile(const AppState &app);

struct EndWithoutDisplay {
    int cards = 0;            // found positions: each has sink 0, its outputs off and is closed
    bool chassisLost = false; // the chassis connection is gone: no driver call could be made
    bool stateSaved = false;
    std::string saveError; // why the state was not saved ("No space left on device")
};

// Quit's work when the panel can no longer be shown, its display being gone:
// the found cards get sink 0 and their outputs off, channel by channel, and
// are closed, in quit's order, by the driver calls alone; a quit under way is
// taken over after its last step, so nothing is sent twice. Then the panel
// state is saved from the values the controls hold. No popup waits, nothing
// is painted, no event is handled; after a lost chassis connection no driver
// call is made. The error reports go to standard error.
EndWithoutDisplay finishWithoutDisplay(AppState &app);
