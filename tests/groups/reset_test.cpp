// RESET after an interlock, pressed as the operator does: the panel's switches
// and setpoint controls, the cards it clears and in which order, its lines,
// and how it leaves the poll alone.
#include "driver/sim/korda_sim.h"
#include "panel/api/ui.h"
#include "support/panel_harness.h"
#include "support/reports.h"

#include <gtest/gtest.h>

using controls::enableOf;
using controls::sinkOf;
using controls::voltageOf;
using reports::interlockLine;
using reports::withoutLine;
using scenario::Chassis;

namespace {

const char kReset[] = "\nR E S E T";
const char kDone[] = "...done\n";

std::string clearOf(const PanelHarness &h, int position)
{
    return std::string("ClearCard ") += std::to_string(h.app.card(position).Card);
}

} // namespace

TEST(Reset, SwitchesEveryOutputOffDimsEverySetpointAndClearsTheFoundCardsInOrder)
{
    struct Case {
        const char *name;
        std::vector<std::string> cards;
        std::vector<int> cleared; // positions
    };
    const Case cases[] = {
        {"cards at 1 and 4", {"300004", "300001"}, {1, 4}},
        {"no card found", {}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PanelHarness h(Chassis::withSerials(c.cards));
        ASSERT_EQ(h.start(), 0);
        h.enterEventLoop();
        // Outputs on, on found and missing positions; a sink current set.
        h.press(ctrl::RE_ENABLE_ALL);
        for (const int n : {2, 13, 20, 42})
            h.press(enableOf(n));
        h.type(sinkOf(20), "40");
        for (const int n : {2, 13, 20, 42})
            ASSERT_EQ(h.intValue(enableOf(n)), 1) << "channel " << n;
        const bool timerBefore = ui::isTimerEnabled(h.panel(), ctrl::TIMER);
        const std::string before = h.messageBox();
        h.clearTrace();

        h.press(ctrl::RESET);
        EXPECT_EQ(h.messageBox(), before + kReset + kDone) << "no enable operation ran";
        std::vector<std::string> expected;
        for (const int k : c.cleared)
            expected.push_back(clearOf(h, k));
        EXPECT_EQ(h.calls(), expected);
        for (int n = 1; n <= 42; ++n) {
            SCOPED_TRACE(testing::Message() << "channel " << n);
            EXPECT_EQ(h.intValue(enableOf(n)), 0);
            EXPECT_TRUE(h.dimmed(voltageOf(n)));
            EXPECT_TRUE(h.dimmed(sinkOf(n)));
            EXPECT_FALSE(h.dimmed(enableOf(n))) << "the switches themselves stay operable";
            EXPECT_EQ(h.doubleValue(voltageOf(n)), 1.0) << "setpoints are kept";
        }
        EXPECT_EQ(h.intValue(sinkOf(20)), 40);
        EXPECT_EQ(ui::isTimerEnabled(h.panel(), ctrl::TIMER), timerBefore);
        if (!c.cards.empty()) {
            const korda_sim::CardState one = *korda_sim::cardState("300001");
            const korda_sim::CardState four = *korda_sim::cardState("300004");
            EXPECT_EQ(one.subs[1].enable, 0);
            EXPECT_EQ(one.subs[1].volts, 0.0);
            EXPECT_EQ(four.subs[1].amps, 0.0);
            EXPECT_EQ(four.subs[1].enable, 0);
        }

        // A second press: the same end state and a second pair of lines.
        h.clearTrace();
        h.press(ctrl::RESET);
        EXPECT_EQ(h.messageBox(), before + kReset + kDone + kReset + kDone);
        EXPECT_EQ(h.calls(), expected);
        EXPECT_EQ(h.intValue(enableOf(2)), 0);
        EXPECT_TRUE(h.dimmed(voltageOf(2)));
    }
}

TEST(Reset, AFailedClearIsReportedInsideItsLinesAndALostConnectionSkipsTheRest)
{
    struct Case {
        int status;
        std::vector<std::string> calls; // with the cards' numbers of positions 1 and 4 as 1 and 2
        std::string report;
    };
    const Case cases[] = {
        {8, {"ClearCard 1 !8", "ClearCard 2"}, "<ERROR 0x8 in line # = Unknown status 0x8>\n"},
        {4112, {"ClearCard 1 !4112"}, "<ERROR 0x1010 in line # = Connection to the chassis lost>\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.status);
        PanelHarness h(Chassis::withSerials({"300001", "300004"}).fault({"KORDA_ClearCard", c.status, "300001"}));
        ASSERT_EQ(h.start(), 0);
        ASSERT_EQ(h.app.card(1).Card, 1);
        ASSERT_EQ(h.app.card(4).Card, 2);
        const std::string before = h.messageBox();
        h.clearTrace();
        h.press(ctrl::RESET);
        EXPECT_EQ(h.calls(), c.calls);
        EXPECT_EQ(withoutLine(h.messageBox()), before + kReset + c.report + kDone);
        ASSERT_EQ(h.popups.shown.size(), 1u);
        EXPECT_EQ(h.popups.shown[0].title, "ERROR KORDA");
        EXPECT_TRUE(h.dimmed(voltageOf(42)));
    }
}

TEST(Reset, DoesNothingOnceTheChassisConnectionIsLost)
{
    PanelHarness h(Chassis::withSerials({"300001", "300002"}).fault({"KORDA_BattReadInterlockState", 4112, "300002"}));
    ASSERT_EQ(h.start(), 0);
    h.enterEventLoop();
    h.press(ctrl::STARTUP_MSG);
    h.tick();
    ASSERT_EQ(h.app.stopSFPdueToFail, 1);
    h.press(enableOf(13)); // the switch moves; nothing is sent
    ASSERT_EQ(h.intValue(enableOf(13)), 1);
    const std::string before = h.messageBox();
    const size_t popups = h.popups.shown.size();
    h.clearTrace();

    h.press(ctrl::RESET);
    EXPECT_EQ(h.messageBox(), before);
    EXPECT_TRUE(h.calls().empty());
    EXPECT_EQ(h.popups.shown.size(), popups);
    EXPECT_EQ(h.intValue(enableOf(13)), 1);
    EXPECT_FALSE(h.dimmed(voltageOf(13)));
    EXPECT_FALSE(h.dimmed(sinkOf(1)));
}

TEST(Reset, LeavesThePollAsItIs)
{
    // The interlock of card 300002 is active for three reads, then the link
    // is back: after a reset its lamp blinks again and its lines stop.
    {
        SCOPED_TRACE("link restored");
        PanelHarness h(Chassis::withSerials({"300001", "300002"}).interlock({"300002", 1, 3}));
        ASSERT_EQ(h.start(), 0);
        h.enterEventLoop();
        h.press(ctrl::STARTUP_MSG);
        const std::string before = h.messageBox();
        for (int t = 0; t < 3; ++t)
            h.tick();
        EXPECT_EQ(h.messageBox(), before + interlockLine(2) + interlockLine(2) + interlockLine(2));
        EXPECT_EQ(h.lamp(2), 0);
        h.press(ctrl::RESET);
        const std::string afterReset = h.messageBox();
        EXPECT_EQ(afterReset, before + interlockLine(2) + interlockLine(2) + interlockLine(2) + kReset + kDone);
        EXPECT_EQ(h.lamp(2), 0) << "reset does not touch the lamps";
        for (const int expected : {1, 0, 1}) {
            h.tick();
            EXPECT_EQ(h.lamp(2), expected);
        }
        EXPECT_EQ(h.messageBox(), afterReset);
    }
    {
        SCOPED_TRACE("interlock still active");
        PanelHarness h(Chassis::withSerials({"300001", "300002"}).interlock({"300002"}));
        ASSERT_EQ(h.start(), 0);
        h.enterEventLoop();
        h.press(ctrl::STARTUP_MSG);
        h.tick();
        h.press(ctrl::RESET);
        const std::string afterReset = h.messageBox();
        h.tick();
        h.tick();
        EXPECT_EQ(h.messageBox(), afterReset + interlockLine(2) + interlockLine(2));
        EXPECT_EQ(h.lamp(2), 0);
    }
    {
        SCOPED_TRACE("poll stopped by an unreadable interlock");
        PanelHarness h(Chassis::withSerials({"300001", "300002"}).fault({"KORDA_BattReadInterlockState", 34, "300002"}));
        ASSERT_EQ(h.start(), 0);
        h.enterEventLoop();
        h.press(ctrl::STARTUP_MSG);
        h.tick();
        ASSERT_FALSE(ui::isTimerEnabled(h.panel(), ctrl::TIMER));
        const int lamps[] = {h.lamp(1), h.lamp(2)};
        h.clearTrace();
        h.press(ctrl::RESET);
        EXPECT_EQ(h.calls(), (std::vector<std::string>{clearOf(h, 1), clearOf(h, 2)}));
        const std::string afterReset = h.messageBox();
        h.clearTrace();
        h.tick();
        h.tick();
        EXPECT_FALSE(ui::isTimerEnabled(h.panel(), ctrl::TIMER)) << "nothing starts the poll again";
        EXPECT_TRUE(h.calls().empty());
        EXPECT_EQ(h.messageBox(), afterReset);
        EXPECT_EQ(h.lamp(1), lamps[0]);
        EXPECT_EQ(h.lamp(2), lamps[1]);
    }
}
