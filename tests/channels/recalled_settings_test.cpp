// Start-up dims the recalled setpoints of found cards that are not idle: they
// are shown but not on the cards until re-called.
#include "app/startup.h"
#include "channels/channel_panel.h"
#include "panel/api/ui.h"

#include <gtest/gtest.h>
#include <set>

using namespace channel_panel;

namespace {

std::string constant(const char *prefix, int n) { return prefix + std::to_string(n); }

// Every channel control that is dimmed, by constant name.
std::set<std::string> dimmedChannelControls(const PanelHarness &h)
{
    std::set<std::string> dimmed;
    for (int n = 1; n <= 42; ++n) {
        if (h.dimmed(controls::voltageOf(n)))
            dimmed.insert(constant("VOLTAGE_CH_", n));
        if (h.dimmed(controls::sinkOf(n)))
            dimmed.insert(constant("CURRENT_SINK_CH_", n));
        if (h.dimmed(controls::nameOf(n)))
            dimmed.insert(constant("strCh_", n));
        if (h.dimmed(controls::enableOf(n)))
            dimmed.insert(constant("ENABLE_", n));
    }
    return dimmed;
}

std::set<std::string> voltagesOf(std::initializer_list<int> positions)
{
    std::set<std::string> names;
    for (int k : positions)
        for (int n = 6 * k - 5; n <= 6 * k; ++n)
            names.insert(constant("VOLTAGE_CH_", n));
    return names;
}

} // namespace

TEST(RecalledSettings, AFirstStartDimsTheVoltagesOfFoundCardsOnly)
{
    struct Case {
        const char *what;
        std::string scenario;
        std::set<std::string> dimmed;
    };
    const Case cases[] = {
        {"built-in chassis: all seven positions", {}, voltagesOf({1, 2, 3, 4, 5, 6, 7})},
        {"cards at positions 1, 2 and 7", chassis(), voltagesOf({1, 2, 7})},
        {"no chassis answers: nothing found", scenario::noChassis(), {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PanelHarness h(c.scenario);
        ASSERT_EQ(h.start(), 0);
        EXPECT_EQ(dimmedChannelControls(h), c.dimmed) << "the defined 1.0 V is above 0";
        EXPECT_EQ(h.doubleValue(ctrl::VOLTAGE_CH_1), 1.0);
        EXPECT_TRUE(h.trace("KORDA_BattSetVoltage").empty()) << "start-up sends no setpoint";
    }
}

TEST(RecalledSettings, EachRecalledSettingIsJudgedByItsOwnValue)
{
    PanelHarness h(chassis());
    h.writeFile("Tavrin.state",
                stateFile(idleSettings({
                    {"ENABLE_3", 1},                                                       // on, sink 0, 0 V
                    {"CURRENT_SINK_CH_4", 40},                                             // sink only
                    {"VOLTAGE_CH_5", 2.0},                                                 // voltage only
                    {"VOLTAGE_CH_2", -1.5},                                                // comes back as 0 V
                    {"ENABLE_8", 1}, {"CURRENT_SINK_CH_8", 1}, {"VOLTAGE_CH_8", 7.0},      // all three
                    {"VOLTAGE_CH_9", 0.001},                                               // the least above 0
                    {"ENABLE_13", 1}, {"CURRENT_SINK_CH_13", 5}, {"VOLTAGE_CH_13", 3.0},   // no card at position 3
                    {"ENABLE_42", 1},
                    {"strCh_6", "VBAT"},
                })));
    ASSERT_EQ(h.start(), 0);
    const std::set<std::string> expected = {"ENABLE_3",     "CURRENT_SINK_CH_4", "VOLTAGE_CH_5",
                                            "ENABLE_8",     "CURRENT_SINK_CH_8", "VOLTAGE_CH_8",
                                            "VOLTAGE_CH_9", "ENABLE_42"};
    EXPECT_EQ(dimmedChannelControls(h), expected);
    // The values stay as recalled, and none of them went to a card.
    EXPECT_EQ(h.intValue(ctrl::ENABLE_3), 1);
    EXPECT_EQ(h.intValue(ctrl::CURRENT_SINK_CH_4), 40);
    EXPECT_EQ(h.doubleValue(ctrl::VOLTAGE_CH_2), 0.0);
    EXPECT_EQ(h.doubleValue(ctrl::VOLTAGE_CH_8), 7.0);
    EXPECT_EQ(h.intValue(ctrl::ENABLE_13), 1);
    for (const char *call : {"KORDA_BattSetVoltage", "KORDA_BattSetCurrent", "KORDA_BattSetEnable"})
        EXPECT_TRUE(h.trace(call).empty()) << call;
}

TEST(RecalledSettings, MarkingNeverUndims)
{
    PanelHarness h(chassis());
    ASSERT_EQ(h.start(), 0);
    for (int control : {ctrl::VOLTAGE_CH_13, ctrl::ENABLE_1, ctrl::CURRENT_SINK_CH_2})
        ui::setDimmed(h.panel(), control, true);
    ui::setDouble(h.panel(), ctrl::VOLTAGE_CH_3, 0.0);
    markRecalledSettings(h.app);
    EXPECT_TRUE(h.dimmed(ctrl::VOLTAGE_CH_13));
    EXPECT_TRUE(h.dimmed(ctrl::ENABLE_1)) << "idle, but dimmed before";
    EXPECT_TRUE(h.dimmed(ctrl::CURRENT_SINK_CH_2));
    EXPECT_TRUE(h.dimmed(ctrl::VOLTAGE_CH_3)) << "now 0 V, but dimmed before";
}

TEST(RecalledSettings, AfterARestartTheCommittedVoltageWaitsForItsReCall)
{
    QByteArray saved;
    {
        PanelHarness first(chassis());
        ASSERT_TRUE(boot(first));
        first.type(ctrl::strCh_9, "VBAT");
        first.type(ctrl::VOLTAGE_CH_9, "2.5");
        first.type(ctrl::CURRENT_SINK_CH_9, "30");
        first.press(ctrl::QUIT);
        saved = first.readFile("Tavrin.state");
        ASSERT_FALSE(saved.isEmpty());
    }
    PanelHarness second(chassis());
    second.writeFile("Tavrin.state", saved);
    ASSERT_EQ(second.start(), 0);
    second.enterEventLoop();
    EXPECT_TRUE(second.dimmed(ctrl::VOLTAGE_CH_9));
    EXPECT_TRUE(second.dimmed(ctrl::CURRENT_SINK_CH_9));
    EXPECT_FALSE(second.dimmed(ctrl::ENABLE_9));
    EXPECT_FALSE(second.dimmed(ctrl::VOLTAGE_CH_10)) << "0 V is idle";
    EXPECT_EQ(second.text(ctrl::strCh_9), "VBAT");
    second.clearTrace();
    second.press(ctrl::ENABLE_9);
    EXPECT_EQ(second.messageBox(), "");
    EXPECT_EQ(second.intValue(ctrl::ENABLE_9), 0);
    EXPECT_TRUE(second.trace().empty());
}
