// The two re-call buttons, pressed as the operator does: which controls become
// operable again, which setpoints reach the cards and in which order, their
// lines, and the release of the buttons.
#include "driver/sim/korda_sim.h"
#include "panel/api/ui.h"
#include "support/panel_harness.h"
#include "support/reports.h"
#include "support/state_file.h"

#include <QJsonObject>
#include <gtest/gtest.h>

using controls::enableOf;
using controls::sinkOf;
using controls::voltageOf;
using reports::withoutLine;
using scenario::Chassis;
using scenario::stateFile;

namespace {

const char kCurrentStart[] = "re-call Current values...\n";
const char kVoltageStart[] = "re-call Voltage values...\n";
const char kDone[] = "done\n";


// The line of a current operation whose card reads back what was set.
std::string sinkLine(int n, int milliamps)
{
    const std::string ch = std::to_string(n);
    const std::string mA = std::to_string(milliamps);
    std::string text = "CURRENT_SINK_CH_";
    text += ch;
    text += " - " + mA + "mA --> " + mA + "mA   ch" + ch + "\n";
    return text;
}

std::string sub(const PanelHarness &h, int n)
{
    return std::to_string(h.app.card((n - 1) / 6 + 1).Card) + "/" + std::to_string((n - 1) % 6 + 1);
}

std::vector<int> channelsOf(std::initializer_list<int> positions)
{
    std::vector<int> list;
    for (const int k : positions)
        for (int n = 6 * k - 5; n <= 6 * k; ++n)
            list.push_back(n);
    return list;
}

} // namespace

TEST(Recall, CurrentReSendsTheSinkSetpointsOfTheFoundCardsInChannelOrder)
{
    PanelHarness h(Chassis::withSerials({"300003", "300001"}));
    h.writeFile("Tavrin.state", stateFile({{"CURRENT_SINK_CH_2", 40},
                                           {"CURRENT_SINK_CH_15", 7},
                                           {"CURRENT_SINK_CH_18", 100},
                                           {"CURRENT_SINK_CH_8", 5}}));
    ASSERT_EQ(h.start(), 0);
    for (const int n : {2, 15, 18})
        ASSERT_TRUE(h.dimmed(sinkOf(n))) << "recalled, not yet sent: channel " << n;
    const std::map<int, int> milliamps = {{2, 40}, {15, 7}, {18, 100}};

    for (int press = 1; press <= 2; ++press) {
        SCOPED_TRACE(testing::Message() << "press " << press);
        const std::string before = h.messageBox();
        h.clearTrace();
        h.press(ctrl::RE_CALL_CUURENT_ALL);

        std::string lines = kCurrentStart;
        std::vector<std::string> expected;
        for (const int n : channelsOf({1, 3})) {
            const int mA = milliamps.count(n) ? milliamps.at(n) : 0;
            lines += sinkLine(n, mA);
            const std::string amps = trace::number(mA / 1000.0);
            expected.push_back("BattSetCurrent " + sub(h, n) + " " + amps);
            expected.push_back("BattGetCurrent " + sub(h, n) + " -> " + amps);
        }
        EXPECT_EQ(h.messageBox(), before + lines + kDone);
        EXPECT_EQ(h.calls(), expected);
        for (const int n : channelsOf({1, 3}))
            EXPECT_FALSE(h.dimmed(sinkOf(n))) << "channel " << n;
        EXPECT_EQ(h.intValue(ctrl::RE_CALL_CUURENT_ALL), 0) << "the button is released";
        EXPECT_TRUE(h.popups.shown.empty());
    }
    EXPECT_EQ(korda_sim::cardState("300001")->subs[1].amps, 0.04);
    EXPECT_EQ(korda_sim::cardState("300003")->subs[5].amps, 0.1);
    EXPECT_EQ(h.intValue(sinkOf(8)), 5) << "a position without a card is left alone";
}

TEST(Recall, VoltageMakesTheFoundChannelsOperableWithoutSendingAndSwitchingOnAppliesTheVoltage)
{
    PanelHarness h(Chassis::withSerials({"300001", "300003"}));
    h.writeFile("Tavrin.state", stateFile({{"ENABLE_3", 1}, {"VOLTAGE_CH_14", 2.5}}));
    ASSERT_EQ(h.start(), 0);
    ASSERT_TRUE(h.dimmed(enableOf(3)));
    ASSERT_TRUE(h.dimmed(voltageOf(14)));

    // A switch recalled as on becomes operable and still shows on, while the
    // card was never told.
    std::string before = h.messageBox();
    h.clearTrace();
    h.press(ctrl::RE_ENABLE_ALL);
    EXPECT_EQ(h.messageBox(), before + kVoltageStart + kDone);
    EXPECT_TRUE(h.calls().empty());
    EXPECT_FALSE(h.dimmed(enableOf(3)));
    EXPECT_EQ(h.intValue(enableOf(3)), 1);
    EXPECT_EQ(korda_sim::cardState("300001")->subs[2].enable, 0);
    EXPECT_EQ(h.intValue(ctrl::RE_ENABLE_ALL), 0) << "the button is released";

    // After a reset: the found positions' voltages and switches come back,
    // the switches stay off, the rest stays dimmed.
    h.press(ctrl::RESET);
    before = h.messageBox();
    h.clearTrace();
    h.press(ctrl::RE_ENABLE_ALL);
    EXPECT_EQ(h.messageBox(), before + kVoltageStart + kDone);
    EXPECT_TRUE(h.calls().empty()) << "no voltage is sent";
    for (int n = 1; n <= 42; ++n) {
        SCOPED_TRACE(testing::Message() << "channel " << n);
        const bool found = n <= 6 || (n >= 13 && n <= 18);
        EXPECT_EQ(h.dimmed(voltageOf(n)), !found);
        EXPECT_FALSE(h.dimmed(enableOf(n)));
        EXPECT_EQ(h.intValue(enableOf(n)), 0);
        EXPECT_TRUE(h.dimmed(sinkOf(n))) << "the currents have their own button";
    }
    EXPECT_EQ(h.intValue(ctrl::RE_ENABLE_ALL), 0);

    // Switching a channel on now sends the enable, then its voltage.
    before = h.messageBox();
    h.clearTrace();
    h.press(enableOf(14));
    EXPECT_EQ(h.calls(), (std::vector<std::string>{"BattSetEnable " + sub(h, 14) + " 1",
                                                  "BattSetVoltage " + sub(h, 14) + " 2.5",
                                                  "BattGetVoltage " + sub(h, 14) + " -> 2.5"}));
    EXPECT_EQ(h.messageBox(), before + "ENABLE_14 - 1    ch14\nVOLTAGE_CH_14 - 2.500V --> 2.5000V   ch14\n");
    EXPECT_EQ(h.intValue(enableOf(14)), 1);
}

TEST(Recall, WithoutAFoundCardBothButtonsOnlyWriteTheirLines)
{
    struct Case {
        const char *name;
        std::vector<std::string> cards;
        std::vector<scenario::Fault> faults;
        bool tickFirst;
    };
    const Case cases[] = {
        {"no card found", {}, {}, false},
        {"connection lost in the poll",
         {"300001"},
         {{"KORDA_BattReadInterlockState", 4112, "300001"}},
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PanelHarness h(Chassis::withSerials(c.cards).faults(c.faults));
        h.writeFile("Tavrin.state", stateFile({{"CURRENT_SINK_CH_1", 5}}));
        ASSERT_EQ(h.start(), 0);
        if (c.tickFirst) {
            h.enterEventLoop();
            h.press(ctrl::STARTUP_MSG);
            h.tick();
            ASSERT_EQ(h.app.stopSFPdueToFail, 1);
        } else {
            h.press(ctrl::RESET);
        }
        std::vector<bool> dimmedBefore;
        for (int n = 1; n <= 42; ++n)
            for (const int id : {voltageOf(n), sinkOf(n), enableOf(n)})
                dimmedBefore.push_back(h.dimmed(id));
        const std::string before = h.messageBox();
        h.clearTrace();

        h.press(ctrl::RE_CALL_CUURENT_ALL);
        h.press(ctrl::RE_ENABLE_ALL);
        EXPECT_EQ(h.messageBox(), before + kCurrentStart + kDone + kVoltageStart + kDone);
        EXPECT_TRUE(h.calls().empty());
        std::vector<bool> dimmedAfter;
        for (int n = 1; n <= 42; ++n)
            for (const int id : {voltageOf(n), sinkOf(n), enableOf(n)})
                dimmedAfter.push_back(h.dimmed(id));
        EXPECT_EQ(dimmedAfter, dimmedBefore);
        EXPECT_EQ(h.intValue(ctrl::RE_CALL_CUURENT_ALL), 0);
        EXPECT_EQ(h.intValue(ctrl::RE_ENABLE_ALL), 0);
    }
}

TEST(Recall, ALostConnectionDuringTheCurrentsEndsTheSendingButNotTheButton)
{
    PanelHarness h(Chassis::withSerials({"300001", "300002"}).fault({"KORDA_BattSetCurrent", 4112, "300001", 3}));
    QJsonObject recalled;
    for (int n = 1; n <= 12; ++n)
        recalled.insert(QString("CURRENT_SINK_CH_%1").arg(n), 10);
    h.writeFile("Tavrin.state", stateFile(recalled));
    ASSERT_EQ(h.start(), 0);
    h.enterEventLoop();
    h.press(ctrl::STARTUP_MSG);
    h.popups.whileOpen = [&](const ShownPopup &) { h.tick(); }; // the poll falls due meanwhile
    const std::string before = h.messageBox();
    h.clearTrace();

    h.press(ctrl::RE_CALL_CUURENT_ALL);
    EXPECT_EQ(h.calls(), (std::vector<std::string>{
                            "BattSetCurrent 1/1 0.01", "BattGetCurrent 1/1 -> 0.01",
                            "BattSetCurrent 1/2 0.01", "BattGetCurrent 1/2 -> 0.01",
                            "BattSetCurrent 1/3 0.01 !4112", "BattGetCurrent 1/3 -> 0"}))
        << "the read-back of the failed set is still made; then nothing, not even a poll";
    EXPECT_EQ(withoutLine(h.messageBox()),
              before + kCurrentStart + sinkLine(1, 10) + sinkLine(2, 10) +
                  "CURRENT_SINK_CH_3 - 10mA<ERROR 0x1010 in line # = Connection to the chassis lost>\n"
                  " --> 0mA   ch3\n" +
                  kDone);
    for (int n = 1; n <= 6; ++n)
        EXPECT_FALSE(h.dimmed(sinkOf(n))) << "the position being walked is undimmed to its end: " << n;
    for (int n = 7; n <= 12; ++n)
        EXPECT_TRUE(h.dimmed(sinkOf(n))) << "later positions are skipped: " << n;
    EXPECT_EQ(h.intValue(ctrl::RE_CALL_CUURENT_ALL), 0);
    EXPECT_EQ(h.popups.shown.size(), 1u);
}
