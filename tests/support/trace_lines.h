// The one compact form of the simulator's trace: a call a line, e.g.
//   "BattSetVoltage 1/3 2.5"                   name without "KORDA_", card/sub, value sent
//   "BattGetVoltage 1/3 -> 2.5"                what a successful read returned
//   "BattSetEnable 2/6 1 !4112"                the status, where it is not 0
//   "OpenSpecifiedCard bus=1 slot=2"           any other input, by name in name order
//   "ErrorCodeToMessage size=200 status_in=8"  a description look-up
// The session is named only where it is not 1, the one every start opens.
#pragma once

#include <QJsonObject>
#include <string>
#include <vector>

namespace trace {

std::string line(const QJsonObject &call);

enum class Lookups { Omitted, Kept };

// The calls as lines; the status check's description look-ups are left out
// unless `lookups` keeps them.
std::vector<std::string> lines(const std::vector<QJsonObject> &calls, Lookups lookups = Lookups::Omitted);

// Number text as the lines write it: the shortest that reads back the same.
std::string number(double value);

} // namespace trace
