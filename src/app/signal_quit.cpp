#include "app/signal_quit.h"

#include "panel/api/control_ids.h"
#include "panel/api/ui.h"

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Every signal whose default action ends the process and that a person, a
// shell, a supervisor or a resource limit sends. Not caught: SIGKILL (cannot
// be), the signals of a crash (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT,
// SIGSYS, SIGTRAP: the process can no longer be trusted to drive the cards),
// and SIGPROF, SIGIO, SIGSTKFLT and the real-time signals, which only a
// profiler or the process itself would raise.
const std::array<int, 11> kSignals = {SIGTERM, SIGINT,    SIGHUP,  SIGQUIT, SIGUSR1, SIGUSR2,
                                      SIGALRM, SIGVTALRM, SIGXCPU, SIGXFSZ, SIGPWR};

// The pipe from the handler to the user-interface thread: [0] read, [1] write.
int wakePipe[2] = {-1, -1};
struct sigaction previous[kSignals.size()];
struct sigaction previousPipe;

// Async-signal-safe: one write, errno kept. A full pipe already holds a wake-up.
extern "C" void onQuitSignal(int)
{
    const int saved = errno;
    const char byte = 'q';
    [[maybe_unused]] const ssize_t written = ::write(wakePipe[1], &byte, 1);
    errno = saved;
}

void closePipe()
{
    for (int &fd : wakePipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

} // namespace

SignalQuit::SignalQuit(AppState &app) : app_(app)
{
    if (wakePipe[0] >= 0) {
        error_ = "signal handling is already installed";
        return;
    }
    if (::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        error_ = std::string("no pipe for signal handling: ") + std::strerror(errno);
        wakePipe[0] = wakePipe[1] = -1;
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(wakePipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { signalled(); });

    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &action, &previous[i]);
    // A write to a closed standard error (the reader of a pipe gone with the
    // same Ctrl+C) must not end the process in the middle of quit.
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, &previousPipe);
    installed_ = true;
}

SignalQuit::~SignalQuit()
{
    if (!installed_)
        return;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &previous[i], nullptr);
    ::sigaction(SIGPIPE, &previousPipe, nullptr);
    notifier_.reset();
    closePipe();
}

void SignalQuit::signalled()
{
    char bytes[64];
    while (::read(wakePipe[0], bytes, sizeof bytes) > 0) {
        // several signals in a row ask for one quit
    }
    requestUnattendedQuit(app_);
}

void requestUnattendedQuit(AppState &app)
{
    if (app.unattendedQuit)
        return; // a later signal asks for what the first one set going
    app.unattendedQuit = true;
    ui::setPopupsUnattended(true);
    if (app.quitting || app.bsdpanel <= 0)
        return;
    ui::requestCommit(app.bsdpanel, ctrl::QUIT);
}
