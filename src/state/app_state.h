// Everything the panel's operations share during one run, in one place.
// Field names follow the operations that use them; card positions are 1..7.
#pragma once

#include "driver/korda.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>

inline constexpr int kCardPositions = 7;
inline constexpr int kChannelsPerCard = 6;
inline constexpr int kChannels = kCardPositions * kChannelsPerCard;

// What the card last reported for one channel's setpoints: from the
// read-back of its voltage and current operations; none before the first or
// after one that failed.
struct ReadBack {
    std::optional<double> volts;
    std::optional<double> milliamps;
};

// One card position.
struct CardSlot {
    std::string SN;            // serial number wanted here, as read at start-up
    KordaCard Card = 0;        // driver card number; meaningful while cardFound is set
    int32_t cardFound = 0;     // 1 while the position holds an open card
    int32_t interlock = 0;     // last interlock read: 0 = interlock active, else link intact
};

// One step of leaving the found cards safe, in the order quit takes them: for
// each found position ascending, each channel's sink current to 0 and then its
// output off; then the card closed.
struct SafeStep {
    enum Kind : int32_t { SinkZero, OutputOff, Close };
    int32_t position = 0; // 0: before the first step
    int32_t channel = 0;  // 1..42 for SinkZero and OutputOff; 0 for Close
    Kind kind = SinkZero;

    bool comesAfter(const SafeStep &other) const { return order() > other.order(); }

private:
    std::tuple<int32_t, bool, int32_t, int32_t> order() const { return {position, kind == Close, channel, kind}; }
};

struct AppState {
    int32_t stopSFPdueToFail = 0; // set on a lost chassis connection; never cleared in a run
    int bsdpanel = 0;             // the panel handle
    int32_t CMD_ACTIVE = 0;       // started with an address on the command line
    std::string TavrinStateFile;
    int32_t WindowLeft = 0;
    int32_t WindowTop = 0;

    KordaSession sessionID = 0;
    KordaStatus error = 0; // status of the connection, later of the latest interlock read

    int32_t launch = 0; // 1 once the poll has ticked
    int32_t sub = 0;    // sub-unit of the poll and discovery

    // The channel last addressed by a channel operation, used by its read-back.
    KordaCard myCard = 0;
    int32_t ch = 0;

    int32_t sink_value = 0; // a sink setpoint kept while quit switches its channel off

    // Set once a quit has begun, so that nothing starts a second one.
    bool quitting = false;
    // The step of the cards quit has begun last. An end that has to take over
    // from a quit under way (the display gone while a popup of quit waits)
    // goes on after it, so that nothing is sent twice.
    SafeStep quitStep;
    // A quit asked for by a signal: nobody may be at the panel to close popups.
    bool unattendedQuit = false;
    // The quit could not save the state file; the process ends with a failure status.
    bool stateNotSaved = false;

    // By channel 1..42; [0] unused.
    std::array<ReadBack, kChannels + 1> readBack{};

    CardSlot &card(int position) { return cards_[static_cast<std::size_t>(position)]; }
    const CardSlot &card(int position) const { return cards_[static_cast<std::size_t>(position)]; }

private:
    std::array<CardSlot, kCardPositions + 1> cards_{}; // [0] unused
};

// The state behind the callback data every control callback receives.
inline AppState &stateOf(void *callbackData) { return *static_cast<AppState *>(callbackData); }
