// The one simulator state behind the driver entry points and the in-process
// control functions of korda_sim.h (defined in simulator.cpp), and the path
// every driver call takes through it.
#ifndef TAVR_DRIVER_SIM_SIMULATOR_H
#define TAVR_DRIVER_SIM_SIMULATOR_H

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "driver/sim/call.h"
#include "driver/sim/chassis.h"
#include "driver/sim/faults.h"
#include "driver/sim/korda_sim.h"
#include "driver/sim/trace.h"

namespace korda_sim {

class Simulator {
public:
    static Simulator &instance();

    // Does the card's part of a call: checks its arguments, acts, writes the
    // caller's outputs and records them in `out`. Returns the status.
    using Body = std::function<KordaStatus(World &world, Json &out)>;

    // One driver call: configures from the environment the first time, waits
    // the latency, applies the fault rules, else runs the body; then traces.
    KordaStatus run(const Call &call, const Body &body);

private:
    // The control functions of korda_sim.h work on the same state.
    friend void reset();
    friend std::string useScenario(std::string_view);
    friend std::string useScenarioFile(const std::string &);
    friend void useBuiltinChassis();
    friend void captureTrace(bool);
    friend std::vector<std::string> capturedTrace();
    friend void clearCapturedTrace();
    friend std::string traceToFile(const std::string &);
    friend std::optional<CardState> cardState(std::string_view, std::string_view);
    friend void describeStatusAs(KordaStatus, std::string);
    friend uint64_t chassisCalls();

    Simulator() = default;
    // Call with the mutex held. The first caller decides: a driver call reads
    // the environment, an in-process setting starts from the built-in chassis.
    void configureFromEnvironment();
    void configureInProcess();
    void install(const Scenario &scenario);
    void installUnreadable();
    std::string installFile(const std::string &path);
    std::string installText(std::string_view jsonText);

    std::mutex mutex_;
    bool configured_ = false;
    World world_;
    FaultInjector faults_;
    double latencyMs_ = 0.0;
    uint64_t chassisCalls_ = 0; // calls that went to the chassis, since the process began
    Trace trace_;
};

} // namespace korda_sim

#endif
