// Ending the panel from outside: SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGUSR1,
// SIGUSR2, SIGALRM, SIGVTALRM, SIGXCPU, SIGXFSZ and SIGPWR run the same quit
// as the QUIT button, so the cards are left safe (sinks 0, outputs off,
// closed) and the panel state is saved, with nobody at the panel.
#pragma once

#include "state/app_state.h"

#include <memory>
#include <string>

class QSocketNotifier;

// While an instance lives, these signals are caught. The handler only
// writes a byte into a pipe; the user-interface thread reads it whenever its
// event loop runs (the main loop, or the loop of a popup that is open) and
// then calls requestUnattendedQuit(). SIGPIPE is ignored meanwhile, so that a
// closed standard error cannot end the process half-way. The previous handlers
// come back when the instance goes. One instance at a time.
class SignalQuit {
public:
    explicit SignalQuit(AppState &app);
    ~SignalQuit();
    SignalQuit(const SignalQuit &) = delete;
    SignalQuit &operator=(const SignalQuit &) = delete;

    // False when the pipe or the handlers could not be set up; `error` says why.
    bool installed() const { return installed_; }
    const std::string &error() const { return error_; }

private:
    void signalled();

    AppState &app_;
    bool installed_ = false;
    std::string error_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

// What a signal does on the user-interface thread: popups stop waiting (an
// open one is closed as if the operator had closed it), and quit runs as soon
// as the callback now running has returned, or when the event loop starts.
// Nothing more once a quit has begun.
void requestUnattendedQuit(AppState &app);
