// What the panel's operations cost, at simulated latencies 0, 0.1 ms and 1 ms,
// against the cost of the same number of driver calls made straight to the
// simulator in the same run (the floor). The window is shown and exposed, so
// repaints paint; the paints column counts the paint events of every widget
// and the pixels they covered. No trace is kept while an operation is timed.
//   TAVR_BENCH_RUNS=7 ./build/default/bench_operations
// TAVR_BENCH_PAINTS=1 lists every paint event of the timed operations;
// TAVR_BENCH_BOX_LINES=2000 starts every operation with that many lines in
// the message box (by default it holds the start's dozen);
// TAVR_BENCH_NO_CELLS=1 hides the view of all channels.
#include "support/scenario.h"
#include "support/state_file.h"
#include "support/panel_harness.h"

#include "driver/korda.h"
#include "driver/sim/korda_sim.h"
#include "panel/api/ui.h"
#include "panel/window/cells_view.h"
#include "panel/window/frame_pacer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QTest>
#include <QThread>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <gtest/gtest.h>

namespace {

const std::vector<int> kAll = {1, 2, 3, 4, 5, 6, 7};

int runs()
{
    const int n = qEnvironmentVariableIntValue("TAVR_BENCH_RUNS");
    return n > 0 ? n : 7;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Counts the paint events of every widget, the pixels they cover, and the
// window's paints: an update request followed by at least one paint event,
// with the time each began.
struct PaintCounter : QObject {
    int paints = 0;
    long long pixels = 0;
    bool log = false;
    bool requested = false;
    QElapsedTimer clock;
    std::vector<double> windowPaints; // ms since the clock started
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::UpdateRequest && static_cast<QWidget *>(o)->isWindow())
            requested = true;
        if (e->type() == QEvent::Paint) {
            if (requested && clock.isValid())
                windowPaints.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
            requested = false;
            if (log) {
                const QRect r = static_cast<QPaintEvent *>(e)->rect();
                auto *w = static_cast<QWidget *>(o);
                const QPoint at = w->mapTo(w->window(), QPoint()); // where it sits in the window
                std::printf("paint %s in %s: %dx%d at %d,%d (window %d,%d)\n", o->metaObject()->className(),
                            o->parent() ? o->parent()->metaObject()->className() : "-", r.width(), r.height(), r.x(),
                            r.y(), at.x(), at.y());
            }
            ++paints;
            for (const QRect &r : static_cast<QPaintEvent *>(e)->region())
                pixels += static_cast<long long>(r.width()) * r.height();
        }
        return false;
    }
};

// The pacing seen in one operation that took `tookMs`: the most window
// paints within one frame, and the longest time without a paint from its
// start to its end.
struct Pacing {
    int mostInAFrame = 0;
    double longestGapMs = 0.0;
};

Pacing pacingOf(const std::vector<double> &paints, double tookMs)
{
    Pacing p;
    for (std::size_t i = 0; i < paints.size(); ++i) {
        int inFrame = 0;
        for (std::size_t j = i; j < paints.size() && paints[j] - paints[i] < 16.0; ++j)
            ++inFrame;
        p.mostInAFrame = std::max(p.mostInAFrame, inFrame);
    }
    double last = 0.0;
    for (const double t : paints) {
        p.longestGapMs = std::max(p.longestGapMs, t - last);
        last = t;
    }
    p.longestGapMs = std::max(p.longestGapMs, tookMs - last);
    return p;
}

// Appends `count` times `line` to the message box and has them painted.
void appendLines(PanelHarness &h, int count, const char *line)
{
    for (int i = 0; i < count; ++i)
        ui::setText(h.panel(), ctrl::MSGBOX, line);
    ui::processDrawEvents(h.panel());
}

struct Booted {
    // `recorded`: the message box is recorded, as the program does by default.
    Booted(double latency, const std::string &scenario, bool recorded)
        : h(scenario.empty() ? scenario::Chassis::at(kAll).latency(latency).json() : scenario)
    {
        h.writeFile("Tavrin.state", scenario::stateFile(scenario::idleVoltages(kAll)));
        if (recorded)
            h.recordFolder = h.path("records").toStdString();
        EXPECT_EQ(h.start(), 0);
        h.enterEventLoop();
        QWidget *window = h.widget(ctrl::QUIT)->window();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
        // The operator's window is the active one: its activation repaints
        // every widget once, which belongs to no operation.
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        // TAVR_BENCH_BOX_LINES: a log of that many lines, as after a while at the bench.
        appendLines(h, qEnvironmentVariableIntValue("TAVR_BENCH_BOX_LINES"), "Card3 S/N 300003 found\n");
        // TAVR_BENCH_NO_CELLS: without the view of all channels, to see what it costs.
        if (qEnvironmentVariableIsSet("TAVR_BENCH_NO_CELLS"))
            window->findChild<panel::CellsView *>()->hide();
        // What the start left for a frame's end is painted before any operation.
        QTest::qWait(2 * panel::FramePacer::kFrameMs);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
        h.popups.confirmAnswers = std::deque<int>(64, 1);
        qApp->installEventFilter(&counter);
    }
    PanelHarness h;
    PaintCounter counter;
};

// The floor: `calls` driver calls made one after another straight to the
// simulator, at the scenario's latency, timed as one sequence as the
// operation's calls are.
double directCallsMs(Booted &b, std::size_t calls)
{
    const KordaCard card = b.h.app.card(1).Card;
    QElapsedTimer clock;
    clock.start();
    for (std::size_t i = 0; i < calls; ++i) {
        double volts = 0.0;
        KORDA_BattGetVoltage(b.h.app.sessionID, card, 1, &volts);
    }
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Kept out of line so a profiler can collect just the operation:
//   valgrind --tool=callgrind --toggle-collect='*timedOperation*' ...
// The time runs until what the operation changed is painted. The panel
// paints at most once per frame: a paint it left for the frame's end is
// made here at once, so that the time holds its cost but not the wait.
[[gnu::noinline]] double timedOperation(const std::function<void(Booted &)> &act, Booted &b)
{
    QElapsedTimer clock;
    clock.start();
    b.counter.clock.start();
    act(b);
    QEvent frameEnd(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(b.h.widget(ctrl::QUIT)->window(), &frameEnd);
    QCoreApplication::sendPostedEvents();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// TAVR_BENCH_ONLY: run only the operations whose name holds this text;
// TAVR_BENCH_LATENCIES: the latencies to run, e.g. "0,0.1".
bool wanted(const char *name)
{
    const QByteArray only = qgetenv("TAVR_BENCH_ONLY");
    return only.isEmpty() || QByteArray(name).contains(only);
}

std::vector<double> latencies()
{
    const QByteArray list = qgetenv("TAVR_BENCH_LATENCIES");
    if (list.isEmpty())
        return {0.0, 0.1, 1.0};
    std::vector<double> out;
    for (const QByteArray &item : list.split(','))
        out.push_back(item.toDouble());
    return out;
}

struct Operation {
    const char *name;
    std::function<std::string(double)> scenario; // empty result: seven plain cards
    std::function<void(Booted &)> prepare;
    std::function<void(Booted &)> act;
    bool recorded = false; // with the record of the message box
};

// The name of the operation with its record: "<name>, recorded".
const char kRecorded[] = ", recorded";

// The operator presses a button in `prepare` and lets it go in `act`: the
// button shows itself pressed and released at once, a frame or more apart.
std::function<void(Booted &)> pressDown(int c)
{
    return [c](Booted &b) { QTest::mousePress(b.h.widget(c), Qt::LeftButton, Qt::NoModifier, b.h.widget(c)->rect().center()); };
}
std::function<void(Booted &)> letGo(int c)
{
    return [c](Booted &b) { QTest::mouseRelease(b.h.widget(c), Qt::LeftButton, Qt::NoModifier, b.h.widget(c)->rect().center()); };
}

} // namespace

TEST(Bench, OperationsAgainstTheirDriverCalls)
{
    const auto plain = [](double) { return std::string(); };
    const auto interlocks = [](double latency) {
        scenario::Chassis chassis = scenario::Chassis::at(kAll).latency(latency);
        for (const std::string &serial : scenario::Chassis::allSevenSerials())
            chassis.interlock({serial});
        return chassis.json();
    };
    const auto nothing = [](Booted &) {};
    const auto boxOf = [](int lines) {
        return [lines](Booted &b) { appendLines(b.h, lines, "INTERLOCK ACTIVE on module 3 - outputs are off\n"); };
    };
    const auto appendOne = [](Booted &b) { appendLines(b.h, 1, "VOLTAGE_CH_9 - 2.500V --> 2.5000V   ch9\n"); };
    const auto appendHundred = [](Booted &b) { appendLines(b.h, 100, "VOLTAGE_CH_9 - 2.500V --> 2.5000V   ch9\n"); };
    const std::vector<Operation> ops = {
        {"enable-all of 42", plain, pressDown(ctrl::ENABLEALL), letGo(ctrl::ENABLEALL)},
        {"re-call of currents", plain, pressDown(ctrl::RE_CALL_CUURENT_ALL), letGo(ctrl::RE_CALL_CUURENT_ALL)},
        {"set-all V of module 1", plain, pressDown(ctrl::SET_V_ALL_MODULE1), letGo(ctrl::SET_V_ALL_MODULE1)},
        {"quit (the callback)", plain, pressDown(ctrl::QUIT), letGo(ctrl::QUIT)},
        {"one voltage commit", plain, [](Booted &b) { b.h.typeWithoutEnter(ctrl::VOLTAGE_CH_9, "2.5"); },
         [](Booted &b) { QTest::keyClick(b.h.widget(ctrl::VOLTAGE_CH_9), Qt::Key_Return); }},
        {"poll tick, links intact", plain, nothing, [](Booted &b) { b.h.tick(); }},
        {"poll tick, 7 interlock lines", interlocks, [](Booted &b) { b.h.press(ctrl::STARTUP_MSG); },
         [](Booted &b) { b.h.tick(); }},
        {"reset", plain, pressDown(ctrl::RESET), letGo(ctrl::RESET)},
        {"save of the state file", plain, nothing,
         [](Booted &b) { ui::savePanelState(b.h.panel(), "bench.state", 0); }},
        {"recall of the state file", plain, [](Booted &b) { ui::savePanelState(b.h.panel(), "bench.state", 0); },
         [](Booted &b) { ui::recallPanelState(b.h.panel(), "bench.state", 0); }},
        {"append, 2000 lines in the box", plain, boxOf(2000), appendOne},
        {"append, box full", plain, boxOf(10100), appendOne},
        // The record's cost: the same operations with it.
        {"enable-all of 42, recorded", plain, pressDown(ctrl::ENABLEALL), letGo(ctrl::ENABLEALL), true},
        {"one voltage commit, recorded", plain, [](Booted &b) { b.h.typeWithoutEnter(ctrl::VOLTAGE_CH_9, "2.5"); },
         [](Booted &b) { QTest::keyClick(b.h.widget(ctrl::VOLTAGE_CH_9), Qt::Key_Return); }, true},
        {"append 100 lines", plain, nothing, appendHundred},
        {"append 100 lines, recorded", plain, nothing, appendHundred, true},
    };

    std::printf("%-30s %6s | %-34s | %-34s | %-34s\n", "operation", "calls", "latency 0: ms (x floor +own) paints",
                "0.1 ms: ms (x floor +own) paints", "1 ms: ms (x floor +own) paints");
    std::map<double, std::vector<double>> perCall; // floor per call, by latency
    std::map<std::string, double> atLatency0;      // median ms, by operation
    for (const Operation &op : ops) {
        if (!wanted(op.name))
            continue;
        std::size_t calls = 0;
        int paints = 0;
        Pacing pacing;
        int windowPaints = 0;
        long long pixels = 0;
        std::string row;
        for (const double latency : latencies()) {
            std::vector<double> took, floor;
            for (int r = 0; r < runs(); ++r) {
                Booted b(latency, op.scenario(latency), op.recorded);
                op.prepare(b);
                QCoreApplication::processEvents();
                QCoreApplication::sendPostedEvents();
                QThread::msleep(20); // the operator is slower than a frame

                korda_sim::captureTrace(false); // the program alone: no trace record is built
                b.counter.paints = 0;
                b.counter.pixels = 0;
                b.counter.windowPaints.clear();
                const uint64_t before = korda_sim::chassisCalls();
                b.counter.log = qEnvironmentVariableIsSet("TAVR_BENCH_PAINTS");
                took.push_back(timedOperation(op.act, b));
                b.counter.log = false;
                calls = korda_sim::chassisCalls() - before;
                paints = b.counter.paints;
                pixels = b.counter.pixels;
                const Pacing p = pacingOf(b.counter.windowPaints, took.back());
                pacing.mostInAFrame = std::max(pacing.mostInAFrame, p.mostInAFrame);
                pacing.longestGapMs = std::max(pacing.longestGapMs, p.longestGapMs);
                windowPaints = static_cast<int>(b.counter.windowPaints.size());
                floor.push_back(directCallsMs(b, calls));
                if (calls > 0)
                    perCall[latency].push_back(floor.back() / static_cast<double>(calls));
            }
            if (latency == 0.0)
                atLatency0[op.name] = median(took);
            // Median time, its ratio to the floor and its own time beyond the
            // floor, and the window's paints in the last run.
            char cell[64];
            const double f = median(floor);
            if (f > 0.001)
                std::snprintf(cell, sizeof cell, "%8.3f (%5.2fx %+6.3f) %3dp", median(took), median(took) / f,
                              median(took) - f, windowPaints);
            else
                std::snprintf(cell, sizeof cell, "%8.3f (      -       ) %3dp", median(took), windowPaints);
            row += std::string(" | ") + cell + std::string(34 - std::min<std::size_t>(34, std::strlen(cell)), ' ');
        }
        std::printf("%-30s %6zu%s  most paints in a frame %d, longest gap %.1f ms; widget paints %d, %lld kpx\n",
                    op.name, calls, row.c_str(), pacing.mostInAFrame, pacing.longestGapMs, paints, pixels / 1000);
        std::fflush(stdout);
    }
    // What the record adds, at latency 0: the recorded operation's median
    // against the plain one's, and per line where the operation writes many.
    const std::string recorded = kRecorded;
    for (const auto &[name, ms] : atLatency0) {
        if (name.size() <= recorded.size() || name.substr(name.size() - recorded.size()) != recorded)
            continue;
        const auto plainOne = atLatency0.find(name.substr(0, name.size() - recorded.size()));
        if (plainOne == atLatency0.end())
            continue;
        const double extra = ms - plainOne->second;
        std::printf("record: %-28s %+7.3f ms (%+5.1f %%)", plainOne->first.c_str(), extra,
                    100.0 * (ms / plainOne->second - 1.0));
        if (name.find("100 lines") != std::string::npos)
            std::printf(", %+.2f us a line", extra * 1000.0 / 100.0);
        std::printf("\n");
    }
    // How exact the simulated latency is: one call of the floor, against the scenario's number.
    for (const auto &[latency, each] : perCall)
        if (latency > 0.0)
            std::printf("simulated latency %.1f ms: a call took %.4f ms (median of %zu floors, %+.2f %%)\n", latency,
                        median(each), each.size(), 100.0 * (median(each) / latency - 1.0));
}
