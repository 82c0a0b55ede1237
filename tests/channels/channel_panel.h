// A panel on a small simulated chassis for the channel tests: cards at
// positions 1, 2 and 7 only, each under a card number other than its
// position's, and every voltage recalled at 0 V so that nothing starts dimmed.
#pragma once

#include "support/panel_harness.h"
#include "support/scenario.h"
#include "support/state_file.h"

#include <QJsonObject>
#include <string>
#include <vector>

namespace channel_panel {

// Driver card numbers the chassis gives the three positions (cards open in
// bus/slot order: 300002, 300007, 300001).
inline constexpr int kCardOfPosition1 = 3;
inline constexpr int kCardOfPosition2 = 1;
inline constexpr int kCardOfPosition7 = 2;

inline scenario::Chassis chassis() { return scenario::Chassis::withSerials({"300002", "300007", "300001"}); }

using scenario::stateFile;

// All 42 voltages at 0 V, overlaid with `recalled`.
QJsonObject idleSettings(const QJsonObject &recalled = {});

// Writes the state file, starts the panel and stands in the event loop, with
// the trace cleared. Returns false when the start failed.
bool boot(PanelHarness &h, const QJsonObject &recalled = {});

// The driver calls since the last clearTrace(), the description look-ups included.
inline std::vector<std::string> calls(const PanelHarness &h) { return h.calls(trace::Lookups::Kept); }

} // namespace channel_panel
