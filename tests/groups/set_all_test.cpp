// The set-all buttons of a module, pressed as the operator presses them: what
// the six controls show, the lines in the message box and what the cards get.
#include "support/scenario.h"
#include "support/state_file.h"
#include "support/panel_harness.h"

#include <functional>
#include <gtest/gtest.h>

using scenario::Chassis;

namespace {

std::string channelLine(const std::string &role, int n, const std::string &sent, const std::string &readBack)
{
    const std::string name = std::to_string(n);
    return role + name + " - " + sent + " --> " + readBack + "   ch" + name + "\n";
}

std::string enableLine(int n, int state)
{
    return "ENABLE_" + std::to_string(n) + " - " + std::to_string(state) + "    ch" + std::to_string(n) + "\n";
}

} // namespace

TEST(SetAll, EachButtonCopiesTheFirstChannelToTheSixChannelsOfItsModuleInOrder)
{
    struct Case {
        const char *what;
        const char *button_name;
        int button;
        int firstControl;
        std::function<void(PanelHarness &)> operatorSets; // the first channel's setting
        int firstChannel;
        std::function<std::string(int n)> lines;       // of channel n
        std::function<std::vector<std::string>(int card, int sub)> calls;
        double shown; // by the six controls afterwards
    };
    const Case cases[] = {
        {"V of module 3", "SET_V_ALL_MODULE3", ctrl::SET_V_ALL_MODULE3, ctrl::VOLTAGE_CH_13,
         [](PanelHarness &h) { h.type(ctrl::VOLTAGE_CH_13, "4.250"); }, 13,
         [](int n) { return channelLine("VOLTAGE_CH_", n, "4.250V", "4.2500V"); },
         [](int card, int sub) {
             const std::string at = std::to_string(card) + "/" + std::to_string(sub);
             return std::vector<std::string>{"BattSetVoltage " + at + " 4.25", "BattGetVoltage " + at + " -> 4.25"};
         },
         4.25},
        {"mA of module 5", "SET_SINK_ALL_MODULE5", ctrl::SET_SINK_ALL_MODULE5, ctrl::CURRENT_SINK_CH_25,
         [](PanelHarness &h) { h.type(ctrl::CURRENT_SINK_CH_25, "37"); }, 25,
         [](int n) { return channelLine("CURRENT_SINK_CH_", n, "37mA", "37mA"); },
         [](int card, int sub) {
             const std::string at = std::to_string(card) + "/" + std::to_string(sub);
             return std::vector<std::string>{"BattSetCurrent " + at + " 0.037", "BattGetCurrent " + at + " -> 0.037"};
         },
         37},
        {"enable of module 1, first switch off", "ENABLE_ALL_MODULE1", ctrl::ENABLE_ALL_MODULE1, ctrl::ENABLE_1, [](PanelHarness &) {}, 1,
         [](int n) { return enableLine(n, 0); },
         [](int card, int sub) {
             return std::vector<std::string>{"BattSetEnable " + std::to_string(card) + "/" + std::to_string(sub) +
                                             " 0"};
         },
         0},
        {"enable of module 7, first switch on", "ENABLE_ALL_MODULE7", ctrl::ENABLE_ALL_MODULE7, ctrl::ENABLE_37,
         [](PanelHarness &h) { h.press(ctrl::ENABLE_37); }, 37,
         [](int n) { return enableLine(n, 1) + channelLine("VOLTAGE_CH_", n, "1.000V", "1.0000V"); },
         [](int card, int sub) {
             const std::string at = std::to_string(card) + "/" + std::to_string(sub);
             return std::vector<std::string>{"BattSetEnable " + at + " 1", "BattSetVoltage " + at + " 1",
                                             "BattGetVoltage " + at + " -> 1"};
         },
         1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PanelHarness h;
        ASSERT_EQ(h.start(), 0);
        h.press(ctrl::RE_ENABLE_ALL); // the recalled voltages become operable
        c.operatorSets(h);
        h.clearTrace();
        const std::string before = h.messageBox();

        h.press(c.button);

        std::string lines = std::string(c.button_name) + "\n";
        std::vector<std::string> calls;
        const int position = (c.firstChannel - 1) / 6 + 1;
        for (int i = 0; i < 6; ++i) {
            lines += c.lines(c.firstChannel + i);
            for (const std::string &call : c.calls(h.app.card(position).Card, i + 1))
                calls.push_back(call);
        }
        EXPECT_EQ(h.messageBox(), before + lines);
        EXPECT_EQ(h.calls(), calls);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(h.doubleValue(c.firstControl + i), c.shown) << "control " << c.firstControl + i;
        EXPECT_EQ(h.intValue(c.button), 0) << "released";
        // The first control of the next module is left alone.
        if (c.firstControl + 27 <= ctrl::ENABLE_42) {
            EXPECT_EQ(h.doubleValue(c.firstControl + 27), c.firstControl == ctrl::VOLTAGE_CH_13 ? 1.0 : 0.0);
        }
        EXPECT_TRUE(h.popups.shown.empty());
    }
}

TEST(SetAll, AModuleWithoutACardStillTakesTheValueButNothingIsSent)
{
    PanelHarness h(Chassis::at({1, 3}));
    ASSERT_EQ(h.start(), 0);
    h.type(ctrl::CURRENT_SINK_CH_7, "12");
    h.clearTrace();
    const std::string before = h.messageBox();

    h.press(ctrl::SET_SINK_ALL_MODULE2);

    EXPECT_TRUE(h.trace().empty());
    ASSERT_EQ(h.messageBox().rfind(before + "SET_SINK_ALL_MODULE2\n", 0), 0u);
    std::string added = h.messageBox().substr(before.size() + std::string("SET_SINK_ALL_MODULE2\n").size());
    for (int n = 7; n <= 12; ++n) {
        EXPECT_EQ(h.intValue(ctrl::CURRENT_SINK_CH_7 + n - 7), 12);
        const std::string start = "CURRENT_SINK_CH_" + std::to_string(n) + " - 12mA";
        EXPECT_EQ(added.rfind(start, 0), 0u) << added;
        added.erase(0, added.find('\n') + 1);
    }
    EXPECT_EQ(added, "") << "one line per channel";
    EXPECT_EQ(h.intValue(ctrl::SET_SINK_ALL_MODULE2), 0);
}

TEST(SetAll, DimmedTargetsAreWrittenAndRunButKeepTheirDimming)
{
    // After a reset: every setpoint is dimmed; the voltage operation does not
    // look at that, so the six voltages are sent.
    {
        PanelHarness h(Chassis::at({1, 3}));
        ASSERT_EQ(h.start(), 0);
        h.press(ctrl::RE_ENABLE_ALL);
        h.type(ctrl::VOLTAGE_CH_1, "2.5");
        h.press(ctrl::RESET);
        h.clearTrace();
        h.press(ctrl::SET_V_ALL_MODULE1);
        const int card = h.app.card(1).Card;
        std::vector<std::string> expected;
        for (int s = 1; s <= 6; ++s) {
            const std::string at = std::to_string(card) + "/" + std::to_string(s);
            expected.push_back("BattSetVoltage " + at + " 2.5");
            expected.push_back("BattGetVoltage " + at + " -> 2.5");
        }
        EXPECT_EQ(h.calls(), expected);
        for (int id = ctrl::VOLTAGE_CH_1; id <= ctrl::VOLTAGE_CH_6; ++id) {
            EXPECT_EQ(h.doubleValue(id), 2.5);
            EXPECT_TRUE(h.dimmed(id));
        }
    }
    // After a start that recalled channel 1 switched on with 3 V: its voltage is
    // dimmed, and so are the others (1 V by definition): "enable" copies the 1
    // into all six switches and each enable operation refuses, emptying the box.
    {
        PanelHarness h(Chassis::at({1}));
        h.writeFile("Tavrin.state", scenario::stateFile({{"ENABLE_1", 1}, {"VOLTAGE_CH_1", 3.0}}));
        ASSERT_EQ(h.start(), 0);
        ASSERT_TRUE(h.dimmed(ctrl::ENABLE_1));
        h.clearTrace();
        h.press(ctrl::ENABLE_ALL_MODULE1);
        EXPECT_TRUE(h.trace().empty());
        EXPECT_EQ(h.messageBox(), "");
        for (int id = ctrl::ENABLE_1; id <= ctrl::ENABLE_6; ++id)
            EXPECT_EQ(h.intValue(id), 0) << id;
        // The dimming is the start-up's: the recalled "on" of channel 1 only.
        EXPECT_TRUE(h.dimmed(ctrl::ENABLE_1));
        EXPECT_FALSE(h.dimmed(ctrl::ENABLE_2));
        EXPECT_EQ(h.intValue(ctrl::ENABLE_ALL_MODULE1), 0);
    }
}

TEST(SetAll, AfterALostConnectionThePressDoesNothingAndLeavesTheButtonDown)
{
    PanelHarness h(Chassis::at({1}).fault({"KORDA_BattSetVoltage", 4112, "300001", 3}));
    ASSERT_EQ(h.start(), 0);
    h.press(ctrl::RE_ENABLE_ALL);
    h.type(ctrl::VOLTAGE_CH_1, "3");
    h.clearTrace();

    h.press(ctrl::SET_V_ALL_MODULE1);

    const int card = h.app.card(1).Card; // kept, though the position is no longer found
    const std::string c = std::to_string(card);
    const std::vector<std::string> expected = {
        "BattSetVoltage " + c + "/1 3", "BattGetVoltage " + c + "/1 -> 3",     "BattSetVoltage " + c + "/2 3",
        "BattGetVoltage " + c + "/2 -> 3", "BattSetVoltage " + c + "/3 3 !4112", "BattGetVoltage " + c + "/3 -> 0",
    };
    EXPECT_EQ(h.calls(), expected) << "nothing after the lost connection but the read-back";
    for (int id = ctrl::VOLTAGE_CH_1; id <= ctrl::VOLTAGE_CH_6; ++id)
        EXPECT_EQ(h.doubleValue(id), 3.0) << "the loop still writes the value";
    EXPECT_EQ(h.intValue(ctrl::SET_V_ALL_MODULE1), 0);
    ASSERT_EQ(h.popups.withTitle("ERROR KORDA").size(), 1u);
    const std::string box = h.messageBox();
    EXPECT_NE(box.find("VOLTAGE_CH_3 - 3.000V<ERROR 0x1010 in line "), std::string::npos) << box;
    EXPECT_EQ(box.substr(box.size() - 19), " --> 0.0000V   ch3\n") << "the line ends after the read-back";

    // From now on a press changes nothing and the button stays down; the
    // next press releases it, equally without effect.
    h.clearTrace();
    const std::string now = h.messageBox();
    h.press(ctrl::SET_V_ALL_MODULE1);
    EXPECT_EQ(h.intValue(ctrl::SET_V_ALL_MODULE1), 1);
    EXPECT_EQ(h.messageBox(), now);
    EXPECT_EQ(h.doubleValue(ctrl::VOLTAGE_CH_3), 3.0) << "nothing copied";
    h.press(ctrl::SET_V_ALL_MODULE1);
    EXPECT_EQ(h.intValue(ctrl::SET_V_ALL_MODULE1), 0);
    EXPECT_EQ(h.messageBox(), now);
    EXPECT_TRUE(h.trace().empty());
}
