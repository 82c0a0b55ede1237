// How long enable-all and quit take with seven cards whose every call costs
// 1 ms, against the sum of those latencies. The figures are printed; the
// bounds only catch gross waste (a repaint storm, a wait on a timer).
#include "support/scenario.h"
#include "support/state_file.h"
#include "support/panel_harness.h"

#include <QElapsedTimer>
#include <cstdio>
#include <gtest/gtest.h>


namespace {

struct Measured {
    double ms;
    std::size_t calls;
};

Measured measure(PanelHarness &h, int button)
{
    h.clearTrace();
    QElapsedTimer clock;
    clock.start();
    h.press(button);
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    return {ms, h.calls().size()};
}

} // namespace

TEST(Timing, EnableAllAndQuitWithSevenCardsAgainstTheirDriverLatency)
{
    const std::vector<int> all = {1, 2, 3, 4, 5, 6, 7};
    PanelHarness h(scenario::Chassis::at(all).latency(1.0));
    h.writeFile("Tavrin.state", scenario::stateFile(scenario::idleVoltages(all)));
    ASSERT_EQ(h.start(), 0);
    h.popups.confirmAnswers = {1};

    const Measured enable = measure(h, ctrl::ENABLEALL);
    const Measured quit = measure(h, ctrl::QUIT);

    EXPECT_EQ(enable.calls, 42u * 3u); // enable, voltage, read-back
    EXPECT_EQ(quit.calls, 42u * 3u + 7u); // sink, read-back, enable; the closes
    for (const auto &[name, m] : {std::pair{"enable_all", enable}, std::pair{"quit", quit}}) {
        const double latency = static_cast<double>(m.calls) * 1.0;
        std::printf("%-10s %4zu calls, latency sum %6.1f ms, took %7.1f ms (%.2f x, %.1f ms beyond)\n", name,
                    m.calls, latency, m.ms, m.ms / latency, m.ms - latency);
        EXPECT_GE(m.ms, latency);
        EXPECT_LT(m.ms - latency, 5000.0) << name;
    }
}
