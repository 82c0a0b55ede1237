// Fuzz target: the simulator's scenario parser. Any input gives a scenario or
// a one-line refusal free of control characters; nothing throws or aborts.
#include "driver/sim/scenario.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const korda_sim::ParsedScenario parsed =
        korda_sim::parseScenario(std::string_view(reinterpret_cast<const char *>(data), size));
    if (parsed.scenario.has_value() == !parsed.error.empty())
        std::abort(); // exactly one of the two
    for (const char c : parsed.error)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            std::abort();
    return 0;
}
