// What the panel's operations cost, at simulated latencies 0, 0.1 ms and 1 ms,
// against the cost of the same number of driver calls made straight to the
// simulator in the same run (the floor). The window is shown and exposed, so
// repaints paint; the paints column counts the message box's paint events.
//   TAVR_BENCH_RUNS=7 ./build/default/bench_operations
#include "support/scenario.h"
#include "support/state_file.h"
#include "support/panel_harness.h"

#include "driver/korda.h"
#include "driver/sim/korda_sim.h"
#include "panel/ui.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
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

// Counts paint events of a widget.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

struct Booted {
    explicit Booted(double latency, const std::string &scenario = {})
        : h(scenario.empty() ? scenario::Chassis::at(kAll).latency(latency).json() : scenario)
    {
        h.writeFile("Tavrin.state", scenario::stateFile(scenario::idleVoltages(kAll)));
        EXPECT_EQ(h.start(), 0);
        h.enterEventLoop();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(h.widget(ctrl::QUIT)->window()));
        h.popups.confirmAnswers = std::deque<int>(64, 1);
        box = qobject_cast<QPlainTextEdit *>(h.widget(ctrl::MSGBOX));
        box->viewport()->installEventFilter(&counter);
        QCoreApplication::processEvents();
        if (qEnvironmentVariableIsSet("TAVR_BENCH_PROBE")) {
            counter.paints = 0;
            ui::setText(h.panel(), ctrl::MSGBOX, "probe\n");
            ui::processDrawEvents(h.panel());
            const int pending = counter.paints;
            QCoreApplication::sendPostedEvents();
            const int posted = counter.paints;
            h.widget(ctrl::QUIT)->window()->repaint();
            std::printf("probe: exposed %d paints pending-only %d, after posted events %d, after repaint %d\n", h.widget(ctrl::QUIT)->window()->windowHandle()->isExposed(), pending, posted, counter.paints);
        }
    }
    PanelHarness h;
    QPlainTextEdit *box = nullptr;
    PaintCounter counter;
};

// One driver call straight to the simulator, at the scenario's latency.
double directCallMs(Booted &b)
{
    const KordaCard card = b.h.app.card(1).Card;
    QElapsedTimer clock;
    std::vector<double> each;
    for (int i = 0; i < 50; ++i) {
        double volts = 0.0;
        clock.start();
        KORDA_BattGetVoltage(b.h.app.sessionID, card, 1, &volts);
        each.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    return median(each);
}

struct Operation {
    const char *name;
    std::function<std::string(double)> scenario; // empty result: seven plain cards
    std::function<void(Booted &)> prepare;
    std::function<void(Booted &)> act;
};

void press(Booted &b, int c) { b.h.press(c); }

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
    const std::vector<Operation> ops = {
        {"enable-all of 42", plain, nothing, [](Booted &b) { press(b, ctrl::ENABLEALL); }},
        {"re-call of currents", plain, nothing, [](Booted &b) { press(b, ctrl::RE_CALL_CUURENT_ALL); }},
        {"set-all V of module 1", plain, nothing, [](Booted &b) { press(b, ctrl::SET_V_ALL_MODULE1); }},
        {"quit (the callback)", plain, nothing, [](Booted &b) { press(b, ctrl::QUIT); }},
        {"one voltage commit", plain, [](Booted &b) { b.h.typeWithoutEnter(ctrl::VOLTAGE_CH_9, "2.5"); },
         [](Booted &b) { QTest::keyClick(b.h.widget(ctrl::VOLTAGE_CH_9), Qt::Key_Return); }},
        {"poll tick, links intact", plain, nothing, [](Booted &b) { b.h.tick(); }},
        {"poll tick, 7 interlock lines", interlocks, [](Booted &b) { b.h.press(ctrl::STARTUP_MSG); },
         [](Booted &b) { b.h.tick(); }},
        {"reset", plain, nothing, [](Booted &b) { press(b, ctrl::RESET); }},
        {"save of the state file", plain, nothing,
         [](Booted &b) { ui::savePanelState(b.h.panel(), "bench.state", 0); }},
        {"recall of the state file", plain, [](Booted &b) { ui::savePanelState(b.h.panel(), "bench.state", 0); },
         [](Booted &b) { ui::recallPanelState(b.h.panel(), "bench.state", 0); }},
        {"append, box full", plain,
         [](Booted &b) {
             korda_sim::captureTrace(false);
             for (int i = 0; i < 10100; ++i)
                 ui::setText(b.h.panel(), ctrl::MSGBOX, "INTERLOCK ACTIVE on module 3 - outputs are off\n");
             ui::processDrawEvents(b.h.panel());
             korda_sim::captureTrace(true);
         },
         [](Booted &b) {
             ui::setText(b.h.panel(), ctrl::MSGBOX, "VOLTAGE_CH_9 - 2.500V --> 2.5000V   ch9\n");
             ui::processDrawEvents(b.h.panel());
         }},
    };

    std::printf("%-30s %6s | %-26s | %-26s | %-26s\n", "operation", "calls", "latency 0: ms (x floor)",
                "0.1 ms: ms (x floor)", "1 ms: ms (x floor)");
    for (const Operation &op : ops) {
        std::size_t calls = 0;
        int paints = 0;
        std::string row;
        for (const double latency : {0.0, 0.1, 1.0}) {
            std::vector<double> took, floor;
            for (int r = 0; r < runs(); ++r) {
                Booted b(latency, op.scenario(latency));
                op.prepare(b);
                QCoreApplication::processEvents();
                const double perCall = directCallMs(b);
                b.h.clearTrace();
                b.counter.paints = 0;
                QElapsedTimer clock;
                clock.start();
                op.act(b);
                took.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
                calls = b.h.calls().size();
                paints = b.counter.paints;
                floor.push_back(static_cast<double>(calls) * perCall);
            }
            char cell[64];
            const double f = median(floor);
            if (f > 0.001)
                std::snprintf(cell, sizeof cell, "%9.3f (%5.2fx)", median(took), median(took) / f);
            else
                std::snprintf(cell, sizeof cell, "%9.3f (  -  )", median(took));
            row += std::string(" | ") + cell + std::string(26 - std::min<std::size_t>(26, std::strlen(cell)), ' ');
        }
        std::printf("%-30s %6zu%s  paints %d\n", op.name, calls, row.c_str(), paints);
        std::fflush(stdout);
    }
}
