// Boots the whole panel in-process, as the program does, on the simulated
// chassis, in a fresh working directory with scripted popups; then acts as the
// operator does and reads what the operator and the cards see.
#pragma once

#include "state/app_state.h"
#include "panel/api/control_ids.h"
#include "support/scenario.h"
#include "support/scripted_popups.h"
#include "support/trace_lines.h"

#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>
#include <string>
#include <vector>

class QWidget;

class PanelHarness {
public:
    // `scenario`: simulator scenario JSON; empty for the built-in chassis.
    explicit PanelHarness(const std::string &scenario = {});
    explicit PanelHarness(const scenario::Chassis &chassis) : PanelHarness(chassis.json()) {}
    ~PanelHarness();
    PanelHarness(const PanelHarness &) = delete;
    PanelHarness &operator=(const PanelHarness &) = delete;

    // Writes a file into the working directory before start (a state file).
    void writeFile(const QString &name, const QByteArray &content) const;
    QByteArray readFile(const QString &name) const;
    QString path(const QString &name) const;

    // Runs the start-up sequence; returns its result (0 or -1). The message
    // box is recorded in `recordFolder` when that is set.
    int start(const std::string &commandLine = {});
    std::string recordFolder;
    // From here on timer ticks are dispatched, as in the event loop.
    void enterEventLoop();

    int panel() const { return app.bsdpanel; }
    QWidget *widget(int control) const; // the control's input widget

    // What the operator sees.
    std::string messageBox() const;
    int32_t intValue(int control) const;
    double doubleValue(int control) const;
    std::string text(int control) const;
    bool dimmed(int control) const;
    bool visible(int control) const;
    std::string added(const std::string &before) const; // what the box gained since it held `before`
    int lamp(int position) const;                        // the interlock lamp of position k
    bool timerEnabled() const;
    QString statusLine() const;                          // under the message box
    std::vector<int32_t> foundFlags() const;             // cardFound of positions 1..7

    // What the operator does.
    void type(int control, const QString &text);   // select all, type, Enter
    void typeWithoutEnter(int control, const QString &text);
    void stepUp(int control);                      // a click on the up arrow
    void stepDown(int control);
    void press(int control);                       // a click on a button or switch
    void choose(const QString &command);           // a command of the menu bar, e.g. "Load setpoints..."
    void tick();                                   // the timer's interval elapsed

    // What the cards were told: the simulator's trace since start, or since
    // clearTrace(). `call` filters by function name.
    std::vector<QJsonObject> trace(const std::string &call = {}) const;
    void clearTrace() const;
    // The trace as trace::lines.
    std::vector<std::string> calls(trace::Lookups lookups = trace::Lookups::Omitted) const;

    AppState app;
    ScriptedPopups popups;

private:
    QTemporaryDir dir_;
    QString previousDir_;
};

// The controls of channel n (1..42), by the panel's layout: blocks of 27
// identifiers a position, voltage, sink, name and enable six apart.
namespace controls {
inline int voltageOf(int n) { return ctrl::VOLTAGE_CH_1 + 27 * ((n - 1) / 6) + (n - 1) % 6; }
inline int sinkOf(int n) { return voltageOf(n) + 6; }
inline int nameOf(int n) { return voltageOf(n) + 12; }
inline int enableOf(int n) { return voltageOf(n) + 18; }
} // namespace controls
