// A panel on a small simulated chassis for the channel tests: cards at
// positions 1, 2 and 7 only, each under a card number other than its
// position's, and every voltage recalled at 0 V so that nothing starts dimmed.
#pragma once

#include "support/card_scenarios.h"

#include "support/panel_harness.h"

#include <QJsonObject>
#include <string>
#include <vector>

namespace channel_panel {

// Driver card numbers the chassis gives the three positions (cards open in
// bus/slot order: 300002, 300007, 300001).
inline constexpr int kCardOfPosition1 = 3;
inline constexpr int kCardOfPosition2 = 1;
inline constexpr int kCardOfPosition7 = 2;

// The scenario, with `faults` as its fault rules (a JSON array).
std::string chassis(const std::string &faults = "[]");

// A panel state file holding values in slot 0.
using card_scenarios::stateFile;

// All 42 voltages at 0 V, overlaid with `recalled`.
QJsonObject idleSettings(const QJsonObject &recalled = {});

// Writes the state file, starts the panel and stands in the event loop, with
// the trace cleared. Returns false when the start failed.
bool boot(PanelHarness &h, const QJsonObject &recalled = {});

// The driver calls since the last clearTrace(), one text each:
// "KORDA_BattSetVoltage card=3 sub=3 volts=2.5 status=0", with "out=..." for
// what a successful call returned.
std::vector<std::string> calls(const PanelHarness &h);

// The line of channel_callbacks.cpp that holds `text` (exactly one must).
int callbacksLine(const std::string &text);

// What the message box gained since it held `before` (which must still be its start).
std::string added(const PanelHarness &h, const std::string &before);

} // namespace channel_panel
