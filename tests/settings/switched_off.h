// What quit sends to one card, as trace::lines.
#pragma once

#include <string>
#include <vector>

// The calls quit makes for the six channels of a card, then its close: sink 0
// and output off for each, whether the enable operation sent the "off" or,
// with the voltage dimmed, quit itself. `closeStatus` is what the close returns.
inline std::vector<std::string> switchedOff(int card, int closeStatus = 0)
{
    std::vector<std::string> calls;
    const std::string c = std::to_string(card);
    for (int s = 1; s <= 6; ++s) {
        const std::string at = c + "/" + std::to_string(s);
        calls.push_back("BattSetCurrent " + at + " 0");
        calls.push_back("BattGetCurrent " + at + " -> 0");
        calls.push_back("BattSetEnable " + at + " 0");
    }
    std::string close = "CloseSpecifiedCard " + c;
    if (closeStatus != 0) {
        close += " !";
        close += std::to_string(closeStatus);
    }
    calls.push_back(close);
    return calls;
}

inline std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
