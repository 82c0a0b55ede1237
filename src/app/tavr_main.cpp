#include "app/tavr_main.h"

#include "app/command_line.h"
#include "app/display_probe.h"
#include "app/signal_quit.h"
#include "app/startup.h"
#include "panel/ui.h"
#include "state/app_state.h"

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>

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
    // From here on SIGTERM, SIGINT, SIGQUIT and the other signals of SignalQuit
    // end the panel through quit, like the QUIT button; one that arrives during
    // start-up is acted on once the start-up has finished, or as soon as a
    // popup of it is open.
    const SignalQuit signalQuit(app);
    if (!signalQuit.installed())
        std::fprintf(stderr, "tavr: %s\n", signalQuit.error().c_str());

    const std::string uir = QDir(QApplication::applicationDirPath()).filePath("tavr.uir").toStdString();
    std::string error;
    if (startPanel(app, commandLine.text, uir, &error) < 0) {
        std::fprintf(stderr, "tavr: %s\n", error.c_str());
        return -1;
    }
    ui::runUserInterface();
    ui::discardPanel(app.bsdpanel);
    return 0;
}
