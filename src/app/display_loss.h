// The display going away under the panel: an X server or a Wayland compositor
// that dies or restarts, a remote session that drops. Qt's platform plugin
// then ends the process itself, after one warning (exit(1) for X, _exit(1) for
// Wayland), and what is left of the panel is torn down against a display that
// is not there. Here that warning ends the panel instead, the way quit would
// (finishWithoutDisplay: the cards safe, the state saved), with one line on
// standard error, and the process ends at once with kDisplayLostStatus: no
// widget is torn down and no static destructor runs against the lost display.
#pragma once

#include "state/app_state.h"

inline constexpr int kDisplayLostStatus = 3;

// While an instance lives, Qt's messages pass through it (on to the handler
// that was there before). One instance at a time, created after the
// QApplication.
class DisplayLossGuard {
public:
    explicit DisplayLossGuard(AppState &app);
    ~DisplayLossGuard();
    DisplayLossGuard(const DisplayLossGuard &) = delete;
    DisplayLossGuard &operator=(const DisplayLossGuard &) = delete;

    // Between the two, while the event loop runs, any exit() of the process
    // but our own ends it the same way: a warning that was switched off
    // (QT_LOGGING_RULES) or worded otherwise, a library that gives up.
    void armExitFallback();
    void disarmExitFallback();
};
