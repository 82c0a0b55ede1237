#include "driver/sim/faults.h"

namespace korda_sim {

FaultInjector::FaultInjector(const std::vector<FaultRule> &rules)
{
    for (const FaultRule &rule : rules)
        rules_.push_back({rule, 0});
}

std::optional<KordaStatus> FaultInjector::onCall(std::string_view call, const std::string *serial,
                                                 std::optional<int32_t> sub)
{
    std::optional<KordaStatus> status;
    for (Counted &counted : rules_) {
        const FaultRule &rule = counted.rule;
        const bool matches = (rule.call == "*" || rule.call == call) &&
                             (!rule.serial || (serial && *serial == *rule.serial)) &&
                             (!rule.sub || (sub && *sub == *rule.sub));
        if (!matches)
            continue;
        ++counted.matched;
        if (!status && inWindow(counted.matched, rule.nth, rule.times))
            status = rule.status;
    }
    return status;
}

} // namespace korda_sim
