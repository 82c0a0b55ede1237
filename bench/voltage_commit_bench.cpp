// How long one voltage commit takes from the operator's Enter to its line in
// the message box (not yet painted), on the simulated chassis without latency
// and with no trace kept. Not part of the test run: build the target and run
// it by hand.
//   TAVR_BENCH_COMMITS=1000 ./bench_voltage_commit   (default 1000 commits)
#include "channels/channel_panel.h"
#include "driver/sim/korda_sim.h"

#include <QElapsedTimer>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>

using namespace channel_panel;

TEST(VoltageCommitBench, EnterToLine)
{
    const int commits = qEnvironmentVariableIsSet("TAVR_BENCH_COMMITS") ? std::max(1, qEnvironmentVariableIntValue("TAVR_BENCH_COMMITS")) : 1000;
    PanelHarness h(chassis());
    ASSERT_TRUE(boot(h));
    QWidget *field = h.widget(ctrl::VOLTAGE_CH_9);
    korda_sim::captureTrace(false);
    const uint64_t callsBefore = korda_sim::chassisCalls();
    std::vector<qint64> nanos;
    nanos.reserve(static_cast<std::size_t>(commits));
    for (int i = 0; i < commits; ++i) {
        const bool odd = i % 2 != 0;
        h.typeWithoutEnter(ctrl::VOLTAGE_CH_9, odd ? "3.5" : "2.5");
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(field, Qt::Key_Return);
        const qint64 elapsed = timer.nsecsElapsed();
        const std::string box = h.messageBox();
        const std::string line = odd ? "VOLTAGE_CH_9 - 3.500V --> 3.5000V   ch9\n" : "VOLTAGE_CH_9 - 2.500V --> 2.5000V   ch9\n";
        ASSERT_TRUE(box.size() >= line.size() && box.compare(box.size() - line.size(), line.size(), line) == 0) << i;
        nanos.push_back(elapsed);
    }
    EXPECT_EQ(korda_sim::chassisCalls() - callsBefore, 2u * static_cast<uint64_t>(commits)); // set and read back
    std::sort(nanos.begin(), nanos.end());
    const auto at = [&](double q) { return nanos[static_cast<std::size_t>(q * static_cast<double>(nanos.size() - 1))] / 1000.0; };
    std::printf("voltage commits: %d  Enter to line, microseconds: median %.1f  p10 %.1f  p90 %.1f  p99 %.1f  max %.1f\n",
                commits, at(0.5), at(0.1), at(0.9), at(0.99), at(1.0));
}
