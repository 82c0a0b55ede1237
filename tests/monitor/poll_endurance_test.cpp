// What the poll costs over a long run: CPU time per tick with seven cards and
// no latency, and memory over a long interlock that writes seven lines a tick.
// ctest runs shortened counts; a full simulated day:
//   TAVR_POLL_DAY_TICKS=216000 ./build/default/test_monitor --gtest_filter='PollEndurance.*'
#include "driver/sim/korda_sim.h"
#include "support/panel_harness.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <ctime>
#include <gtest/gtest.h>
#include <iostream>

namespace {

constexpr int kTicksPerMinute = 150; // one tick every 0.4 s

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true; // freed memory is held in quarantine: RSS says little
#else
constexpr bool kSanitized = false;
#endif

long rssKiB()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &row : status.readAll().split('\n'))
        if (row.startsWith("VmRSS:"))
            return row.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

int dayTicks()
{
    bool ok = false;
    const int ticks = qEnvironmentVariableIntValue("TAVR_POLL_DAY_TICKS", &ok);
    return ok && ticks > 0 ? ticks : 6000;
}

std::string allInterlocksActive()
{
    scenario::Chassis chassis = scenario::Chassis::withSerials(scenario::Chassis::allSevenSerials());
    for (const std::string &serial : scenario::Chassis::allSevenSerials())
        chassis.interlock({serial});
    return chassis;
}

void startPolling(PanelHarness &h)
{
    ASSERT_EQ(h.start(), 0);
    h.enterEventLoop();
    h.press(ctrl::STARTUP_MSG);
    korda_sim::captureTrace(false); // the test's own record would grow with every call
}

// A tick, then what the event loop does with the events the tick posted
// (repaints, layout of the message box) before the next one falls due.
// Without it a loop of ticks piles those events up and seems to leak.
void tickAndSettle(PanelHarness &h)
{
    h.tick();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void ticks(PanelHarness &h, int from, int to)
{
    for (int t = from; t < to; ++t)
        tickAndSettle(h);
}

double cpuMicrosecondsPerTick(PanelHarness &h, int count)
{
    const std::clock_t begin = std::clock();
    ticks(h, 0, count);
    return 1e6 * static_cast<double>(std::clock() - begin) / CLOCKS_PER_SEC / count;
}

} // namespace

TEST(PollEndurance, OneTickOfSevenCardsTakesLittleCpu)
{
    double intact = 0.0;
    double active = 0.0;
    {
        PanelHarness h(scenario::Chassis::withSerials(scenario::Chassis::allSevenSerials()));
        startPolling(h);
        intact = cpuMicrosecondsPerTick(h, 3000);
    }
    {
        PanelHarness h(allInterlocksActive());
        startPolling(h);
        cpuMicrosecondsPerTick(h, 1500); // fill the message box first
        active = cpuMicrosecondsPerTick(h, 3000);
    }
    std::cout << "[ measure  ] CPU per tick, seven cards, no latency: " << intact << " us with the links intact, "
              << active << " us with seven interlock lines per tick in a full message box\n";
    RecordProperty("cpu_us_per_tick_intact", std::to_string(intact));
    RecordProperty("cpu_us_per_tick_seven_lines", std::to_string(active));
    // A tick must leave the 0.4 s interval to the operator.
    EXPECT_LT(intact, 40000.0);
    EXPECT_LT(active, 40000.0);
}

TEST(PollEndurance, ADayOfInterlockLinesKeepsMemoryFlat)
{
    const int day = dayTicks();
    PanelHarness h(allInterlocksActive());
    startPolling(h);

    ticks(h, 0, kTicksPerMinute);
    const long minute = rssKiB();
    // The box holds 10000 lines: full after some 1430 ticks of seven lines.
    const int full = 2000;
    ticks(h, kTicksPerMinute, full);
    const long whenFull = rssKiB();
    ticks(h, full, day);
    const long end = rssKiB();

    std::cout << "[ measure  ] RSS after " << kTicksPerMinute << " ticks (a minute): " << minute << " KiB; after "
              << full << " ticks (message box full): " << whenFull << " KiB; after " << day << " ticks ("
              << 7L * day << " lines): " << end << " KiB\n";
    RecordProperty("rss_kib_minute", std::to_string(minute));
    RecordProperty("rss_kib_box_full", std::to_string(whenFull));
    RecordProperty("rss_kib_end", std::to_string(end));
    const std::string box = h.messageBox();
    EXPECT_LE(std::count(box.begin(), box.end(), '\n'), 10000);
    if (kSanitized) {
        std::cout << "[ measure  ] sanitized build: the memory figures are not judged\n";
        return;
    }
    ASSERT_GT(minute, 0);
    // Once the box is full, further lines only replace old ones.
    EXPECT_LT(end - whenFull, 4 * 1024) << "the process grows with the lines";
}
