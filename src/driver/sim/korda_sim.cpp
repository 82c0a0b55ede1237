// The in-process control functions, over the one simulator state.
#include "driver/sim/korda_sim.h"

#include "driver/sim/simulator.h"

namespace korda_sim {
namespace {
Simulator &sim() { return Simulator::instance(); }
} // namespace

void reset() { sim().reset(); }
std::string useScenario(std::string_view jsonText) { return sim().useScenarioText(jsonText); }
std::string useScenarioFile(const std::string &path) { return sim().useScenarioFile(path); }
void useBuiltinChassis() { sim().useBuiltin(); }
void captureTrace(bool on) { sim().captureTrace(on); }
std::vector<std::string> capturedTrace() { return sim().capturedTrace(); }
void clearCapturedTrace() { sim().clearCapturedTrace(); }
std::string traceToFile(const std::string &path) { return sim().traceToFile(path); }

std::optional<CardState> cardState(std::string_view serial, std::string_view address)
{
    return sim().cardState(serial, address);
}

void describeStatusAs(KordaStatus status, std::string text) { sim().describeStatusAs(status, std::move(text)); }

} // namespace korda_sim
