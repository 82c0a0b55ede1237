// The start-up sequence, from loading the panel to the moment the event loop
// takes over.
#pragma once

#include "state/app_state.h"

#include <string>

inline constexpr char kVersionText[] = "Version 1.0.3\n17-JAN-2017";

// Loads the panel from `uirPath`, recalls the state file named after
// `commandLine`, applies the command line and the window position, shows the
// panel, discovers the cards and dims the recalled settings of the found
// cards. The message box's lines are recorded in `recordFolder` (empty: no
// record) from its first line on. Returns 0, or -1 when the panel cannot be
// loaded (then nothing is shown; `error` says why).
int startPanel(AppState &app, const std::string &commandLine, const std::string &uirPath, std::string *error,
               const std::string &recordFolder = {});

// Dims every channel control of a found card that holds a recalled value not
// yet sent to the card.
void markRecalledSettings(AppState &app);
