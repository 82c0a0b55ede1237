// The simulated world as described by a scenario: chassis and their cards,
// latency, fault rules and interlock windows. Also the built-in world.
#ifndef TAVR_DRIVER_SIM_SCENARIO_H
#define TAVR_DRIVER_SIM_SCENARIO_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/korda.h"

namespace korda_sim {

struct CardDef {
    uint32_t bus = 0;
    uint32_t slot = 0;
    std::string serial;
    std::string model;
    std::optional<std::string> identity; // else built from model and serial
};

struct ChassisDef {
    std::string address;
    std::vector<CardDef> cards;
};

// Matching calls nth .. nth + times - 1 fail with status (times 0: no end).
struct FaultRule {
    std::string call; // a function name, or "*" for every faultable call
    std::optional<std::string> serial;
    std::optional<int32_t> sub;
    uint64_t nth = 1;
    uint64_t times = 1;
    KordaStatus status = 0;
};

// Interlock reads fromRead .. fromRead + reads - 1 of the card report the
// interlock active (reads 0: no end).
struct InterlockWindow {
    std::string serial;
    uint64_t fromRead = 1;
    uint64_t reads = 0;
};

struct Scenario {
    std::vector<ChassisDef> chassis;
    double latencyMs = 0.0;
    std::vector<FaultRule> faults;
    std::vector<InterlockWindow> interlock;
};

struct ParsedScenario {
    std::optional<Scenario> scenario;
    std::string error; // why there is none; one line
};

ParsedScenario parseScenario(std::string_view jsonText);

// The identity text a card reports when its scenario gives none.
std::string identityText(const std::string &model, const std::string &serial);

// Two chassis (PXI and the default LAN address), each with the seven battery
// simulators 300001..300007 and one card of another model among them.
Scenario builtinScenario();

} // namespace korda_sim

#endif
