// When injected faults strike, and when a card's interlock reads active.
#ifndef TAVR_DRIVER_SIM_FAULTS_H
#define TAVR_DRIVER_SIM_FAULTS_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/sim/scenario.h"

namespace korda_sim {

// Whether event n (counted from 1) lies in the window of `count` events that
// starts at event `first`; count 0 means the window never ends.
constexpr bool inWindow(uint64_t n, uint64_t first, uint64_t count)
{
    return n >= first && (count == 0 || n - first < count);
}

class FaultInjector {
public:
    FaultInjector() = default;
    explicit FaultInjector(const std::vector<FaultRule> &rules);

    // Counts the call against every rule it matches. Returns the status of the
    // first rule (in scenario order) whose window the call falls in, if any.
    // serial is that of the card the call addresses, null when it names none.
    std::optional<KordaStatus> onCall(std::string_view call, const std::string *serial, std::optional<int32_t> sub);

private:
    struct Counted {
        FaultRule rule;
        uint64_t matched = 0; // calls that matched the rule so far
    };
    std::vector<Counted> rules_;
};

} // namespace korda_sim

#endif
