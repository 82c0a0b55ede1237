// The interlock poll on the simulated chassis, ticked through the same
// dispatch the panel's timer uses: lamps, interlock lines, the hint popup,
// the read-backs of position 1, and how statuses 34 and 4112 end the polling.
#include "driver/sim/korda_sim.h"
#include "panel/log/message_box_view.h"
#include "support/toolkit_test_access.h"
#include "panel/api/ui.h"
#include "support/panel_harness.h"
#include "support/reports.h"

#include <QElapsedTimer>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <algorithm>

using scenario::Chassis;
using reports::withoutLine;
constexpr auto line = reports::interlockLine;

namespace {

const char kHints[] =
    "- on ERROR 0x1013 Client:Parameter is NULL select the correct chassis (PXI or LXI) in use or set correct "
    "LXI IP Address\n\n"
    "- if card is not available verify or select correct S/N\n\n"
    "- if interlock is active, verify interlock link on front panel connector, press RESET to resume";

const std::string kLostSentence = reports::kRelaunch;

// The calls one tick makes for the given found positions, all succeeding: the
// interlocks of `active` read 0, the others 1; position 1's untouched channel 1 reads 0.
std::vector<std::string> tickCalls(const PanelHarness &h, const std::vector<int> &positions,
                                   const std::vector<int> &active = {})
{
    std::vector<std::string> list;
    for (const int k : positions) {
        const std::string cardAndSub = std::to_string(h.app.card(k).Card) + "/1";
        const bool intact = std::find(active.begin(), active.end(), k) == active.end();
        list.push_back("BattReadInterlockState " + cardAndSub + (intact ? " -> 1" : " -> 0"));
        if (k == 1)
            for (const char *get : {"BattGetVoltage ", "BattGetCurrent ", "BattGetEnable "})
                list.push_back(get + cardAndSub + " -> 0");
    }
    return list;
}

// A call of tickCalls as it reads when it fails with `status`: nothing read back.
void fails(std::string &call, int status)
{
    call = call.substr(0, call.find(" -> ")) + " !" + std::to_string(status);
}

// Started, in the event loop, with the hint popup switched off.
void startQuietly(PanelHarness &h)
{
    ASSERT_EQ(h.start(), 0);
    h.enterEventLoop();
    h.press(ctrl::STARTUP_MSG);
    ASSERT_EQ(h.intValue(ctrl::STARTUP_MSG), 1);
    h.clearTrace();
}

} // namespace

TEST(Poll, TheFirstTickShowsTheHintsThenEveryLampBlinksAndOnlyPositionOneReadsBack)
{
    PanelHarness h(Chassis::withSerials(Chassis::allSevenSerials()));
    ASSERT_EQ(h.start(), 0);
    h.enterEventLoop();
    const std::string started = h.messageBox();
    h.clearTrace();

    h.tick();
    ASSERT_EQ(h.popups.shown.size(), 1u);
    EXPECT_EQ(h.popups.shown[0].kind, "message");
    EXPECT_EQ(h.popups.shown[0].title, "User Information");
    EXPECT_EQ(h.popups.shown[0].text, kHints);
    EXPECT_EQ(h.app.launch, 1);
    EXPECT_EQ(h.calls(), tickCalls(h, {1, 2, 3, 4, 5, 6, 7}));

    for (int t = 1; t <= 4; ++t) {
        SCOPED_TRACE(testing::Message() << "tick " << t);
        if (t > 1) {
            h.clearTrace();
            h.tick();
            EXPECT_EQ(h.calls(), tickCalls(h, {1, 2, 3, 4, 5, 6, 7}));
        }
        for (int k = 1; k <= 7; ++k)
            EXPECT_EQ(h.lamp(k), t % 2) << "position " << k;
    }
    EXPECT_EQ(h.popups.shown.size(), 1u) << "the hints come once per run";
    EXPECT_EQ(h.messageBox(), started) << "an intact link writes nothing";
    EXPECT_TRUE(h.timerEnabled());
}

TEST(Poll, TheHintsAreDecidedByTheSwitchOnTheFirstTickOnly)
{
    struct Case {
        const char *name;
        std::vector<std::string> cards;
        bool disabledOnFirstTick;
        size_t hintPopups;
    };
    const Case cases[] = {
        {"disabled, then enabled again", Chassis::allSevenSerials(), true, 0},
        {"enabled, then disabled", Chassis::allSevenSerials(), false, 1},
        {"no card found", {}, false, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PanelHarness h(Chassis::withSerials(c.cards));
        ASSERT_EQ(h.start(), 0);
        h.enterEventLoop();
        if (c.disabledOnFirstTick)
            h.press(ctrl::STARTUP_MSG);
        const std::string before = h.messageBox();
        h.clearTrace();
        h.tick();
        h.press(ctrl::STARTUP_MSG); // the other way round for the rest of the run
        h.tick();
        h.tick();
        EXPECT_EQ(h.popups.withTitle("User Information").size(), c.hintPopups);
        EXPECT_EQ(h.popups.shown.size(), c.hintPopups);
        if (c.cards.empty()) {
            EXPECT_TRUE(h.calls().empty()) << "no card, no driver call";
            EXPECT_EQ(h.messageBox(), before);
        }
    }
}

TEST(Poll, AnActiveInterlockDarkensItsLampWithOneLinePerTickUnlessSuppressed)
{
    for (const bool suppress : {false, true}) {
        SCOPED_TRACE(suppress ? "disable Interlock Message checked" : "lines written");
        PanelHarness h(Chassis::withSerials({"300001", "300002", "300003"}).interlock({"300002", 1, 5}));
        startQuietly(h);
        if (suppress)
            h.press(ctrl::INTERLOCK_MSG);
        const std::string before = h.messageBox();
        std::string lines;
        for (int t = 1; t <= 5; ++t) {
            SCOPED_TRACE(testing::Message() << "tick " << t);
            h.tick();
            if (!suppress)
                lines += line(2);
            EXPECT_EQ(h.messageBox(), before + lines);
            EXPECT_EQ(h.lamp(2), 0);
            EXPECT_EQ(h.lamp(1), t % 2);
            EXPECT_EQ(h.lamp(3), t % 2);
            EXPECT_EQ(h.app.card(2).interlock, 0);
        }
        // The link is back: the lamp blinks again and the lines stop.
        for (const int expected : {1, 0, 1}) {
            h.tick();
            EXPECT_EQ(h.lamp(2), expected);
        }
        EXPECT_EQ(h.messageBox(), before + lines);
        EXPECT_TRUE(h.popups.shown.empty());
    }
}

TEST(Poll, TheSuppressSettingIsTakenOnceAtTheStartOfTheTick)
{
    // An error popup of position 1's read-back opens before position 2 is
    // read; the switch flipped meanwhile counts from the next tick on.
    PanelHarness h(Chassis::withSerials({"300001", "300002"})
                       .fault({"KORDA_BattGetVoltage", 8, "300001"})
                       .interlock({"300002"}));
    startQuietly(h);
    h.popups.whileOpen = [&](const ShownPopup &) { h.press(ctrl::INTERLOCK_MSG); };
    const std::string before = h.messageBox();
    h.tick();
    EXPECT_EQ(h.intValue(ctrl::INTERLOCK_MSG), 1);
    EXPECT_EQ(withoutLine(h.messageBox()),
              before + "<ERROR 0x8 in line # = Unknown status 0x8>\n" + line(2));
    h.popups.whileOpen = nullptr;
    const std::string afterFirst = h.messageBox();
    h.tick();
    EXPECT_EQ(h.messageBox(), afterFirst);
    EXPECT_EQ(h.lamp(2), 0);
}

TEST(Poll, CardsAreVisitedInAscendingOrderEachCompletelyBeforeTheNext)
{
    PanelHarness h(Chassis::withSerials({"300005", "300002"}).interlock({"300002", 1, 1}).interlock({"300005", 1, 1}));
    startQuietly(h);
    ASSERT_EQ(h.app.card(2).cardFound, 1);
    ASSERT_EQ(h.app.card(5).cardFound, 1);
    const std::string before = h.messageBox();
    h.tick();
    EXPECT_EQ(h.calls(), tickCalls(h, {2, 5}, {2, 5})) << "one call per card but position 1";
    EXPECT_EQ(h.messageBox(), before + line(2) + line(5));
    EXPECT_EQ(h.lamp(2), 0);
    EXPECT_EQ(h.lamp(5), 0);
    EXPECT_EQ(h.lamp(1), 0) << "a position without a card is not touched";
}

TEST(Poll, AnUnreadableInterlockStopsThePollAfterTheTickHasReadEveryCard)
{
    PanelHarness h(Chassis::withSerials(Chassis::allSevenSerials())
                       .fault({.call = "KORDA_BattReadInterlockState", .status = 34, .serial = "300003", .nth = 2}));
    startQuietly(h);
    h.tick();
    const std::string before = h.messageBox();
    h.clearTrace();
    h.tick();

    std::vector<std::string> expected = tickCalls(h, {1, 2, 3, 4, 5, 6, 7});
    fails(expected[5], 34); // position 3's read, after the four calls of position 1 and one of position 2
    EXPECT_EQ(h.calls(), expected);
    const std::string report = "<ERROR 0x22 in line # = Interlock state cannot be read: the card is not responding>\n";
    EXPECT_EQ(withoutLine(h.messageBox()), before + report) << "the held flag says intact: no line";
    ASSERT_EQ(h.popups.shown.size(), 1u);
    EXPECT_EQ(h.popups.shown[0].title, "ERROR KORDA");
    EXPECT_EQ(withoutLine(h.popups.shown[0].text), report);
    EXPECT_FALSE(h.timerEnabled());
    EXPECT_EQ(h.app.stopSFPdueToFail, 0);
    for (int k = 1; k <= 7; ++k)
        EXPECT_EQ(h.lamp(k), 0) << "every lamp toggled in the last tick, position " << k;

    // No tick comes any more; the lamps stay as they are.
    h.clearTrace();
    for (int t = 0; t < 3; ++t)
        h.tick();
    EXPECT_TRUE(h.calls().empty());
    EXPECT_EQ(h.popups.shown.size(), 1u);
    for (int k = 1; k <= 7; ++k)
        EXPECT_EQ(h.lamp(k), 0);
}

TEST(Poll, AFailingReadIsReportedEveryTickAndTheLampFollowsTheHeldFlag)
{
    struct Case {
        const char *name;
        int failFrom;                  // the card's first failing read
        std::vector<int> lamps;        // position 2's lamp after ticks 1..3
        std::vector<bool> linePerTick; // whether its interlock line comes
    };
    const Case cases[] = {
        // The last good read said intact: the lamp goes on blinking.
        {"after a good read", 2, {1, 0, 1}, {false, false, false}},
        // Nothing read yet: the flag still holds its start value, "active".
        {"from the first read", 1, {0, 0, 0}, {true, true, true}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PanelHarness h(Chassis::withSerials({"300001", "300002"})
                           .fault({"KORDA_BattReadInterlockState", 8, "300002", 0, c.failFrom, 0}));
        startQuietly(h);
        for (int t = 1; t <= 3; ++t) {
            SCOPED_TRACE(testing::Message() << "tick " << t);
            const std::string before = h.messageBox();
            const size_t popups = h.popups.shown.size();
            h.tick();
            std::string expected = withoutLine(before);
            if (t >= c.failFrom)
                expected += "<ERROR 0x8 in line # = Unknown status 0x8>\n";
            if (c.linePerTick[static_cast<size_t>(t - 1)])
                expected += line(2);
            EXPECT_EQ(withoutLine(h.messageBox()), expected);
            EXPECT_EQ(h.popups.shown.size(), popups + (t >= c.failFrom ? 1 : 0));
            EXPECT_EQ(h.lamp(2), c.lamps[static_cast<size_t>(t - 1)]);
            EXPECT_TRUE(h.timerEnabled()) << "only 34 and 4112 stop the poll";
        }
    }
}

TEST(Poll, ALostConnectionEndsTheDriverTrafficOfTheTickAtOnce)
{
    struct Case {
        const char *call;
        const char *serial;
        size_t callsMade; // of the full tick of three cards, the failing one last
    };
    const Case cases[] = {
        {"KORDA_BattReadInterlockState", "300001", 1},
        {"KORDA_BattGetVoltage", "300001", 2},
        {"KORDA_BattGetCurrent", "300001", 3},
        {"KORDA_BattGetEnable", "300001", 4},
        {"KORDA_BattReadInterlockState", "300002", 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.call << " of " << c.serial);
        PanelHarness h(Chassis::withSerials({"300001", "300002", "300003"}).fault({c.call, 4112, c.serial}));
        startQuietly(h);
        std::vector<std::string> expected = tickCalls(h, {1, 2, 3});
        h.tick();
        expected.resize(c.callsMade);
        fails(expected.back(), 4112);
        EXPECT_EQ(h.calls(), expected);
        ASSERT_EQ(h.popups.shown.size(), 1u);
        EXPECT_EQ(h.popups.shown[0].title, "ERROR KORDA");
        const std::string &text = h.popups.shown[0].text;
        EXPECT_EQ(text.substr(0, 20), "<ERROR 0x1010 in lin");
        EXPECT_EQ(text.substr(text.size() - std::string(kLostSentence).size()), kLostSentence);
        EXPECT_EQ(h.messageBox().find(kLostSentence), std::string::npos) << "the sentence is for the popup";
        EXPECT_EQ(h.app.stopSFPdueToFail, 1);
        EXPECT_FALSE(h.timerEnabled());
        for (int k = 1; k <= 7; ++k)
            EXPECT_EQ(h.app.card(k).cardFound, 0);

        h.clearTrace();
        h.tick();
        EXPECT_TRUE(h.calls().empty());
        EXPECT_EQ(h.popups.shown.size(), 1u);
    }
}

TEST(Poll, TicksArriveOnlyFromTheEventLoopAndNeverInsideACallbackOrPopup)
{
    PanelHarness h(Chassis::withSerials({"300001", "300002"})
                       .fault({.call = "KORDA_BattGetVoltage", .status = 8, .serial = "300001", .nth = 2})
                       .fault({"KORDA_ClearCard", 8, "300002"}));
    ASSERT_EQ(h.start(), 0);
    EXPECT_TRUE(ui::isTimerEnabled(h.panel(), ctrl::TIMER)) << "enabled from the load on";
    EXPECT_EQ(panel::ToolkitTestAccess::timerIntervalMs(h.panel(), ctrl::TIMER), 400);

    h.clearTrace();
    h.tick();
    EXPECT_EQ(h.app.launch, 0) << "before the event loop a tick does nothing";
    EXPECT_TRUE(h.calls().empty());
    EXPECT_TRUE(h.popups.shown.empty());

    h.enterEventLoop();
    int nestedTicks = 0;
    h.popups.whileOpen = [&](const ShownPopup &) {
        ++nestedTicks;
        h.tick();
    };
    h.tick(); // the hint popup is open while a tick falls due
    EXPECT_EQ(h.calls(), tickCalls(h, {1, 2}));
    EXPECT_EQ(h.lamp(1), 1) << "toggled once, not twice";

    h.clearTrace();
    h.tick(); // an error popup of the read-back is open while a tick falls due
    std::vector<std::string> expected = tickCalls(h, {1, 2});
    fails(expected[1], 8);
    EXPECT_EQ(h.calls(), expected);
    EXPECT_EQ(h.lamp(1), 0);

    h.clearTrace();
    h.press(ctrl::RESET); // another callback's popup is open while a tick falls due
    EXPECT_EQ(h.calls(), (std::vector<std::string>{"ClearCard 1", "ClearCard 2 !8"}));
    EXPECT_EQ(nestedTicks, 3);
    EXPECT_EQ(h.popups.shown.size(), 3u);
    EXPECT_EQ(h.lamp(1), 0) << "a tick that fell due meanwhile is dropped, not queued";

    // The panel's own timer reaches the poll through the same dispatch.
    h.popups.whileOpen = nullptr;
    h.clearTrace();
    QElapsedTimer waited;
    waited.start();
    while (h.calls().empty() && waited.elapsed() < 5000)
        QTest::qWait(50);
    EXPECT_FALSE(h.calls().empty()) << "no tick from the timer within 5 s";
}

TEST(Poll, TheMessageBoxKeepsItsNewestLinesInViewAndStaysBounded)
{
    Chassis everyInterlockActive = Chassis::withSerials(Chassis::allSevenSerials());
    for (const std::string &serial : Chassis::allSevenSerials())
        everyInterlockActive.interlock({serial});
    PanelHarness h(everyInterlockActive);
    startQuietly(h);
    korda_sim::captureTrace(false);
    for (int t = 0; t < 1500; ++t) // 10500 lines
        h.tick();
    const std::string box = h.messageBox();
    const auto lines = std::count(box.begin(), box.end(), '\n');
    EXPECT_LE(lines, 10000);
    EXPECT_GE(lines, 9990);
    EXPECT_EQ(box.rfind("Interlock Card", 0), 0u) << box.substr(0, 200);
    EXPECT_EQ(box.find("searching cards"), std::string::npos) << "the oldest lines went first";
    const std::string newest = line(6) + line(7);
    EXPECT_EQ(box.substr(box.size() - newest.size()), newest);

    auto *edit = qobject_cast<panel::MessageBoxView *>(h.widget(ctrl::MSGBOX));
    ASSERT_NE(edit, nullptr);
    const QScrollBar *bar = edit->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum()) << "the newest line is in view";
}
