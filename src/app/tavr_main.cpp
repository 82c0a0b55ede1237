#include "app/tavr_main.h"

#include "app/command_line.h"
#include "app/display_loss.h"
#include "app/display_probe.h"
#include "app/panel_definition_path.h"
#include "app/signal_quit.h"
#include "app/startup.h"
#include "app/state_file_lock.h"
#include "app/state_file_name.h"
#include "panel/api/ui.h"
#include "state/app_state.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <cstdio>
#include <cstdlib>

namespace {

// The directory of the program's own file, symbolic links resolved, so that a
// link to an installed program finds the same panel definition.
std::filesystem::path programDirectory()
{
    const std::filesystem::path program(QFile::encodeName(QApplication::applicationFilePath()).toStdString());
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(program, ec);
    return (ec ? program : real).parent_path();
}

// Only quit ends the event loop, and by then every found card has its sink
// at 0, its output off and is closed, and the state file is on disk. Taking
// the window down widget by widget and the toolkit after it would take
// longer than the whole quit and protect nothing, so the process ends here.
// A sanitized build takes everything down, so that the leak check sees it.
int endAfterQuit(AppState &app)
{
    const int status = app.stateNotSaved ? kExitStateNotSaved : 0;
#if defined(__SANITIZE_ADDRESS__)
    ui::discardPanel(app.bsdpanel);
#else
    std::fflush(nullptr);
    std::_Exit(status);
#endif
    return status;
}

} // namespace

int tavr_main(int argc, char **argv)
{
    const CommandLine commandLine = parseCommandLine(argc, argv);
    if (commandLine.exit) {
        std::fputs(commandLine.output.c_str(), commandLine.status == 0 ? stdout : stderr);
        return commandLine.status;
    }

    AppState app; // every flag and card position starts cleared

    // The toolkit ends the process on its own when it cannot open its display;
    // tell the operator plainly instead, and end with the toolkit's failure result.
    if (const std::string problem = unreachableDisplay(); !problem.empty()) {
        std::fputs(problem.c_str(), stderr);
        return -1;
    }
    int toolkitArgc = 1; // the arguments are ours: Qt sees only the program name
    QApplication application(toolkitArgc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(":/icons/tavr-48.png"));
    QGuiApplication::setDesktopFileName("tavr"); // tavr.desktop: task bars group the window under it
    // A display that goes away under the panel ends it like quit, unattended.
    DisplayLossGuard displayLoss(app);
    // From here on SIGTERM, SIGINT, SIGQUIT and the other signals of SignalQuit
    // end the panel through quit, like the QUIT button; one that arrives during
    // start-up is acted on once the start-up has finished, or as soon as a
    // popup of it is open.
    const SignalQuit signalQuit(app);
    if (!signalQuit.installed())
        std::fprintf(stderr, "tavr: %s\n", signalQuit.error().c_str());

    std::string error;
    const auto uir = findPanelDefinition(programDirectory(), TAVR_DATA_FROM_BIN, &error);
    if (!uir) {
        std::fprintf(stderr, "tavr: %s\n", error.c_str());
        return -1;
    }
    StateFileLock lock(stateFileName(commandLine.text));
    if (!lock.take()) {
        reportStateFileHeld(lock);
        return kExitStateFileHeld;
    }
    if (startPanel(app, commandLine.text, uir->string(), &error, commandLine.recordFolder) < 0) {
        std::fprintf(stderr, "tavr: %s\n", error.c_str());
        return -1;
    }
    displayLoss.armExitFallback();
    ui::runUserInterface();
    displayLoss.disarmExitFallback();
    lock.release();
    return endAfterQuit(app);
}
