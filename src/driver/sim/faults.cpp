#include "driver/sim/faults.h"

namespace korda_sim {

FaultInjector::FaultInjector(const std::vector<FaultSpec> &rules)
{
    for (const FaultSpec &spec : rules)
        rules_.push_back({spec, 0});
}

std::optional<KordaStatus> FaultInjector::onCall(std::string_view call, const std::string *serial,
                                                 std::optional<int32_t> sub)
{
    std::optional<KordaStatus> status;
    for (Rule &rule : rules_) {
        const FaultSpec &spec = rule.spec;
        const bool matches = (spec.call == "*" || spec.call == call) &&
                             (!spec.serial || (serial && *serial == *spec.serial)) &&
                             (!spec.sub || (sub && *sub == *spec.sub));
        if (!matches)
            continue;
        ++rule.matched;
        if (!status && inWindow(rule.matched, spec.nth, spec.times))
            status = spec.status;
    }
    return status;
}

} // namespace korda_sim
