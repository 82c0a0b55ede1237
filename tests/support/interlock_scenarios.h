// Small helpers for tests of the poll and the recovery buttons: a chassis at
// the panel's default address holding chosen cards, with fault rules and
// interlock windows; a compact form of the simulator's trace; a state file.
#pragma once

#include "support/card_scenarios.h"

#include "support/panel_harness.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <string>
#include <vector>

namespace scenarios {

// A LAN chassis at 192.168.100.10 with the battery simulators of the given
// serials ("300001".."300007"), in that bus/slot order. `faults` and
// `interlock` are JSON array bodies, e.g.
// R"({"serial": "300002", "from_read": 1, "reads": 5})".
inline std::string chassis(const std::vector<std::string> &serials, const std::string &faults = {},
                           const std::string &interlock = {})
{
    std::string cards;
    int slot = 2;
    for (const std::string &serial : serials) {
        if (!cards.empty())
            cards += ",";
        cards += R"({"bus": 1, "slot": )";
        cards += std::to_string(slot++);
        cards += R"(, "serial": ")";
        cards += serial;
        cards += R"(", "model": "58-214-003"})";
    }
    std::string json = R"({"chassis": [{"address": "192.168.100.10", "cards": [)" + cards + "]}]";
    json += R"(, "faults": [)" + faults + "]";
    json += R"(, "interlock": [)" + interlock + "]";
    json += "}";
    return json;
}

inline std::vector<std::string> allSeven()
{
    return {"300001", "300002", "300003", "300004", "300005", "300006", "300007"};
}

// One traced call as "name card/sub value -> status": only the parts the
// call has, e.g. "KORDA_BattSetCurrent 1/3 0.04" or "KORDA_ClearCard 4".
inline std::string brief(const QJsonObject &call)
{
    std::string text = call.value("call").toString().toStdString();
    if (call.contains("card")) {
        text += ' ';
        text += std::to_string(call.value("card").toInt());
    }
    if (call.contains("sub")) {
        text += '/';
        text += std::to_string(call.value("sub").toInt());
    }
    for (const char *key : {"volts", "amps", "state"})
        if (call.contains(key)) {
            text += ' ';
            text += QString::number(call.value(key).toDouble(), 'g', 15).toStdString();
        }
    if (const int status = call.value("status").toInt()) {
        text += " -> ";
        text += std::to_string(status);
    }
    return text;
}

// The calls the cards received since start or the last clearTrace(), without
// the description look-ups of the status check.
inline std::vector<std::string> calls(const PanelHarness &h)
{
    std::vector<std::string> list;
    for (const QJsonObject &call : h.trace())
        if (call.value("call").toString() != "KORDA_ErrorCodeToMessage")
            list.push_back(brief(call));
    return list;
}

using card_scenarios::stateFile;

} // namespace scenarios
