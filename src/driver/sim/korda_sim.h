// In-process control of the simulated chassis, for tests.
//
// Every function here works on the one simulator state that the driver entry
// points of korda.h use. Calling any of the configuring functions (everything
// but reset, cardState and the trace readers) means the environment variables
// KORDA_SIM_SCENARIO and KORDA_SIM_TRACE are not consulted; only reset() brings
// back the lazy read of them at the next driver call.
#ifndef TAVR_DRIVER_SIM_KORDA_SIM_H
#define TAVR_DRIVER_SIM_KORDA_SIM_H

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/korda.h"
#include "driver/sim/status.h"

namespace korda_sim {

inline constexpr const char *kPxiAddress = "PXI";
inline constexpr const char *kDefaultLanAddress = "192.168.100.10";
inline constexpr const char *kBatteryModel = "58-214-003";

inline constexpr int kSubUnits = 6;
inline constexpr double kMaxVolts = 7.0;
inline constexpr double kMaxAmps = 0.1;

struct SubUnit {
    double volts = 0.0;
    double amps = 0.0;
    int32_t enable = 0; // 0 off, 1 on
};

// A snapshot of one card.
struct CardState {
    std::string address; // of its chassis
    uint32_t bus = 0;
    uint32_t slot = 0;
    std::string serial;
    std::string model;
    std::string identity;
    bool open = false;
    KordaSession session = 0; // that opened it; 0 when not open
    KordaCard number = 0;     // in that session; 0 when not open
    std::array<SubUnit, kSubUnits> subs{};
    uint64_t interlockReads = 0; // reads the card has answered
};

// Back to the state of a fresh process: no world, no trace, nothing captured.
// The next driver call reads the environment variables again.
void reset();

// Replaces the world with the scenario (JSON text or a file). Sessions, open
// cards, counters and card states start afresh; trace settings stay. Returns an
// empty string on success, else the reason; the world then refuses every
// connection with kScenarioUnreadable, as with a bad KORDA_SIM_SCENARIO file.
std::string useScenario(std::string_view jsonText);
std::string useScenarioFile(const std::string &path);

// Replaces the world with the built-in chassis, afresh. Trace settings stay.
void useBuiltinChassis();

// In-memory trace: one JSON text per call, as in the trace file.
void captureTrace(bool on);
std::vector<std::string> capturedTrace();
void clearCapturedTrace();

// How many calls have gone to the chassis (every call but the error-text
// lookup) since the process began: a count that costs nothing, for when no
// trace is kept.
uint64_t chassisCalls();

// Appends the trace to a file (created if missing); an empty path stops it.
// Returns an empty string on success, else the reason.
std::string traceToFile(const std::string &path);

// The card with that serial. With an empty address the serial must be unique
// across all chassis (the built-in chassis repeat theirs: pass the address).
std::optional<CardState> cardState(std::string_view serial, std::string_view address = {});

// The text KORDA_ErrorCodeToMessage gives for `status` from now on, in place of
// the simulator's own (cut to the caller's buffer as usual). Scenario changes
// keep it; reset() drops it.
void describeStatusAs(KordaStatus status, std::string text);

} // namespace korda_sim

#endif
