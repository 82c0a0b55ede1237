#include "app/display_loss.h"

#include "settings/shutdown.h"

#include <QCoreApplication>
#include <QThread>
#include <QtGlobal>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <thread>
#include <unistd.h>

namespace {

const auto kHandOverWait = std::chrono::seconds(10);

AppState *guarded = nullptr;
QtMessageHandler previousHandler = nullptr;
std::atomic<bool> armed{false};
std::atomic<bool> registered{false};
// Set once the end has begun: whatever happens during it (a message, another
// exit) passes through and never starts it again.
std::atomic<bool> ending{false};

bool onUserInterfaceThread()
{
    const QCoreApplication *application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

std::string cardsText(const EndWithoutDisplay &end)
{
    if (end.chassisLost)
        return "the chassis connection is lost, so not every card could be switched off";
    if (end.cards == 0)
        return "no card was open";
    return std::to_string(end.cards) + (end.cards == 1 ? " card" : " cards") +
           " set to sink 0 with the outputs off, and closed";
}

// Whether `message` is the warning with which Qt announces the loss of its
// display connection: the X11 plugin's two and the Wayland plugin's two, in
// the same words in every release of Qt 5 and 6.
bool announcesDisplayLoss(const std::string &message)
{
    static constexpr std::array<std::string_view, 3> kOpenings = {
        "The X11 connection broke", "The Wayland connection broke", "The Wayland connection experienced a fatal error"};
    for (const std::string_view opening : kOpenings)
        if (message.compare(0, opening.size(), opening) == 0)
            return true;
    return false;
}

[[noreturn]] void endForLostDisplay(const std::string &what)
{
    ending = true;
    const EndWithoutDisplay end = finishWithoutDisplay(*guarded);
    std::string line = "tavr: " + what + "; " + cardsText(end);
    if (end.stateSaved)
        line += "; panel state saved to " + shownStateFile(*guarded);
    else if (!guarded->TavrinStateFile.empty())
        line += "; the panel state could not be saved to " + shownStateFile(*guarded) + " (" + end.saveError + ")";
    line += "; ending with status " + std::to_string(kDisplayLostStatus) + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(nullptr);
    ::_exit(kDisplayLostStatus);
}

// The Wayland plugin gives its warning on its own event thread and ends the
// process as soon as the warning has been written. That thread is held here
// while the user-interface thread, which alone may touch the panel, ends the
// program: in its event loop, or in that of a popup, as soon as the callback
// now running returns. Should that thread not start within kHandOverWait, it
// is stuck, and the thread lets the plugin end the process.
void handOverAndWait(const std::string &what)
{
    static std::atomic<bool> handedOver{false};
    if (!handedOver.exchange(true))
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [what] {
                if (guarded && !ending)
                    endForLostDisplay(what);
            },
            Qt::QueuedConnection);
    const auto deadline = std::chrono::steady_clock::now() + kHandOverWait;
    while (!ending && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    while (ending) // the end under way finishes with _exit
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

void onMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (guarded && type == QtWarningMsg && announcesDisplayLoss(message.toStdString())) {
        const std::string what = "the display is gone (" + message.toStdString() + ")";
        // Another thread that announces the loss while the end is already
        // under way must wait too: its caller would end the process half-way.
        if (!onUserInterfaceThread())
            handOverAndWait(what);
        else if (!ending)
            endForLostDisplay(what);
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

extern "C" void onExit()
{
    if (ending)
        ::_exit(kDisplayLostStatus); // an exit from within the end itself: it cannot go on
    if (!armed || !guarded || !onUserInterfaceThread())
        return;
    endForLostDisplay("the toolkit ended the program while the panel ran (most likely its display is gone)");
}

} // namespace

DisplayLossGuard::DisplayLossGuard(AppState &app)
{
    guarded = &app;
    previousHandler = qInstallMessageHandler(onMessage);
}

DisplayLossGuard::~DisplayLossGuard()
{
    disarmExitFallback();
    qInstallMessageHandler(previousHandler);
    guarded = nullptr;
}

void DisplayLossGuard::armExitFallback()
{
    // Registered as late as this, the check runs before the destructors of
    // everything the panel has built so far.
    if (!registered.exchange(true))
        std::atexit(onExit);
    armed = true;
}

void DisplayLossGuard::disarmExitFallback() { armed = false; }
