#include "driver/sim/simulator.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <sys/prctl.h>

namespace korda_sim {

namespace {

using Clock = std::chrono::steady_clock;

// How long before its deadline a waiting call stops sleeping and spins. A
// sleeping thread wakes some 25 us late here as a rule and up to a few hundred
// us late now and then; only the spin ends on time.
constexpr auto kSpin = std::chrono::microseconds(200);

// Waits on the monotonic clock until `deadline`: a sleep to shortly before it
// (with the thread's timer slack lowered, so the kernel does not add its
// default 50 us), then a spin to the deadline itself.
void waitUntil(Clock::time_point deadline)
{
    thread_local bool slackLowered = false;
    if (!slackLowered) {
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        slackLowered = true;
    }
    if (deadline - Clock::now() > kSpin)
        std::this_thread::sleep_until(deadline - kSpin);
    while (Clock::now() < deadline) {
    }
}

} // namespace

Simulator &Simulator::instance()
{
    // Never destroyed, so a driver call made while the process exits is safe.
    static Simulator *const simulator = new Simulator;
    return *simulator;
}

KordaStatus Simulator::run(const Call &call, const Body &body)
{
    // The call takes the latency in all, its own work included.
    const Clock::time_point begun = Clock::now();
    std::lock_guard lock(mutex_);
    configureFromEnvironment();
    std::optional<KordaStatus> injected;
    // A call that never fails makes no chassis traffic either.
    const bool toChassis = call.kind().faultable;
    if (toChassis) {
        ++chassisCalls_;
        const Card *card = world_.addressed(call.target());
        injected = faults_.onCall(call.name(), card ? &card->serial : nullptr, call.target().sub);
    }
    Json out = Json::object();
    const KordaStatus status = injected ? *injected : body(world_, out);
    if (trace_.active()) // a record is built only for someone who reads it
        trace_.write(call.record(status, status == KORDA_STATUS_OK ? out : Json::object()));
    if (toChassis && latencyMs_ > 0.0)
        waitUntil(begun + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(latencyMs_)));
    return status;
}

void Simulator::configureFromEnvironment()
{
    if (configured_)
        return;
    configured_ = true;
    if (const char *path = std::getenv("KORDA_SIM_TRACE"); path && *path) {
        if (const std::string error = trace_.setFile(path); !error.empty())
            std::fprintf(stderr, "korda-sim: KORDA_SIM_TRACE: %s; calls are not traced\n", error.c_str());
    }
    const char *path = std::getenv("KORDA_SIM_SCENARIO");
    if (!path || !*path) {
        install(builtinScenario());
        return;
    }
    if (const std::string error = installFile(path); !error.empty())
        std::fprintf(stderr, "korda-sim: scenario file '%s' cannot be used: %s; every connection will fail\n", path,
                     error.c_str());
}

void Simulator::configureInProcess()
{
    if (configured_)
        return;
    configured_ = true;
    install(builtinScenario());
}

void Simulator::install(const Scenario &scenario)
{
    world_ = World(scenario);
    faults_ = FaultInjector(scenario.faults);
    latencyMs_ = scenario.latencyMs;
}

void Simulator::installUnreadable()
{
    // Never fall back to the built-in chassis: whoever relies on the scenario
    // would otherwise talk to cards they did not describe.
    install(Scenario{});
    world_ = World::unreadable();
}

std::string Simulator::installText(std::string_view jsonText)
{
    ParsedScenario parsed = parseScenario(jsonText);
    if (!parsed.scenario) {
        installUnreadable();
        return parsed.error;
    }
    install(*parsed.scenario);
    return {};
}

std::string Simulator::installFile(const std::string &path)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    std::string text;
    bool ok = file != nullptr;
    if (ok) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            text.append(buffer, n);
        ok = !std::ferror(file);
    }
    const int error = errno;
    if (file)
        std::fclose(file);
    if (!ok) {
        installUnreadable();
        return std::string("cannot read the file: ") + std::strerror(error);
    }
    return installText(text);
}

// The in-process control functions of korda_sim.h.

void reset()
{
    Simulator &sim = Simulator::instance();
    std::lock_guard lock(sim.mutex_);
    sim.configured_ = false;
    sim.install(Scenario{});
    sim.trace_.reset();
    clearDescriptions();
}

std::string useScenario(std::string_view jsonText)
{
    Simulator &sim = Simulator::instance();
    std::lock_guard lock(sim.mutex_);
    sim.configured_ = true;
    return sim.installText(jsonText);
}

std::string useScenarioFile(const std::string &path)
{
    Simulator &sim = Simulator::instance();
    std::lock_guard lock(sim.mutex_);
    sim.configured_ = true;
    return sim.installFile(path);
}

void useBuiltinChassis()
{
    Simulator &sim = Simulator::instance();
    std::lock_guard lock(sim.mutex_);
    sim.configured_ = true;
    sim.install(builtinScenario());
}

void captureTrace(bool on)
{
    Simulator &sim = Simulator::instance();
    std::lock_guard lock(sim.mutex_);
    sim.configureInProcess();
    sim.trace_.setCapture(on);
}

uint64_t chassisCalls()
{
    Simulator &sim = Simulator::instance();
    std::lock_guard lock(sim.mutex_);
    return sim.chassisCalls_;
}

std::vector<std::string> capturedTrace()
{
    Simulator &sim = Simulator::instance();
    std::lock_guard lock(sim.mutex_);
    return sim.trace_.captured();
}

void clearCapturedTrace()
{
    Simulator &sim = Simulator::instance();
    std::lock_guard lock(sim.mutex_);
    sim.trace_.clearCaptured();
}

std::string traceToFile(const std::string &path)
{
    Simulator &sim = Simulator::instance();
    std::lock_guard lock(sim.mutex_);
    sim.configureInProcess();
    return sim.trace_.setFile(path);
}

std::optional<CardState> cardState(std::string_view serial, std::string_view address)
{
    Simulator &sim = Simulator::instance();
    std::lock_guard lock(sim.mutex_);
    return sim.world_.state(serial, address);
}

void describeStatusAs(KordaStatus status, std::string text)
{
    Simulator &sim = Simulator::instance();
    std::lock_guard lock(sim.mutex_);
    sim.configureInProcess();
    setDescription(status, std::move(text));
}

} // namespace korda_sim
