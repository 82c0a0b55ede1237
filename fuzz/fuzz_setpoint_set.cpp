// Fuzz target: the reader of sets of setpoints (CSV files the operator
// loads). Any input gives rows within the panel's limits or a one-line
// refusal free of control characters; what it takes is written back as the
// same rows.
#include "groups/setpoint_csv.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace setpoint_csv;
    const Parsed parsed = read(std::string_view(reinterpret_cast<const char *>(data), size));
    if (parsed.rows.empty() == parsed.error.empty())
        std::abort(); // exactly one of the two
    for (const char c : parsed.error)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            std::abort();
    for (const Row &r : parsed.rows)
        if (r.channel < 1 || r.channel > 42 || r.millivolts < 0 || r.millivolts > kMaxMillivolts ||
            r.sinkMilliamps < 0 || r.sinkMilliamps > kMaxSinkMilliamps || !nameProblem(r.name).empty())
            std::abort();
    const Parsed again = read(write(parsed.rows));
    if (again.rows.size() != parsed.rows.size())
        std::abort();
    for (std::size_t i = 0; i < again.rows.size(); ++i) {
        const Row &a = parsed.rows[i], &b = again.rows[i];
        if (a.channel != b.channel || a.name != b.name || a.millivolts != b.millivolts ||
            a.sinkMilliamps != b.sinkMilliamps)
            std::abort();
    }
    return 0;
}
