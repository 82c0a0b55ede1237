// Quit: every found card gets sink 0 and its outputs off and is closed, in
// position order; the setpoints are kept and the panel state saved.
#include "support/scenario.h"
#include "support/state_file.h"
#include "support/panel_harness.h"
#include "settings/switched_off.h"

#include "driver/korda.h"
#include "driver/sim/korda_sim.h"
#include "panel/api/ui.h"

#include <QDir>
#include <QWidget>
#include <gtest/gtest.h>

using scenario::Chassis;
using scenario::idleVoltages;
using scenario::savedValues;
using scenario::stateFile;

namespace {

// The lines quit writes for channel n (sink then enable).
std::string offLines(int n)
{
    const std::string ch = std::to_string(n);
    return "CURRENT_SINK_CH_" + ch + " - 0mA --> 0mA   ch" + ch + "\nENABLE_" + ch + " - 0    ch" + ch + "\n";
}

QJsonObject withValues(QJsonObject values, const QJsonObject &more)
{
    for (auto it = more.begin(); it != more.end(); ++it)
        values.insert(it.key(), it.value());
    return values;
}

} // namespace

TEST(Quit, CardsAtOneAndThreeEndSafeAndTheSetpointsAreKept)
{
    PanelHarness h(Chassis::at({1, 3}));
    h.writeFile("Tavrin.state", stateFile(withValues(
                                    idleVoltages({1, 3}), {{"VOLTAGE_CH_7", 5.0}, {"STARTUP_MSG", 1}})));
    ASSERT_EQ(h.start(), 0);
    h.enterEventLoop();
    h.tick(); // the interlock lamps light
    h.type(ctrl::CURRENT_SINK_CH_2, "40");
    h.press(ctrl::ENABLE_2);
    h.press(ctrl::INTERLOCK_MSG);
    ASSERT_EQ(h.intValue(ctrl::INTERLOCK_1), 1);
    ASSERT_FALSE(h.dimmed(ctrl::VOLTAGE_CH_2));
    ui::setPanelLeft(h.panel(), 140);
    ui::setPanelTop(h.panel(), 60);
    h.clearTrace();

    h.press(ctrl::QUIT);

    EXPECT_EQ(h.calls(), switchedOff(h.app.card(1).Card) + switchedOff(h.app.card(3).Card))
        << "no voltage is sent";
    EXPECT_EQ(h.intValue(ctrl::CURRENT_SINK_CH_2), 40);
    EXPECT_TRUE(h.dimmed(ctrl::CURRENT_SINK_CH_2));
    EXPECT_EQ(h.intValue(ctrl::CURRENT_SINK_CH_1), 0);
    EXPECT_FALSE(h.dimmed(ctrl::CURRENT_SINK_CH_1)) << "a setpoint of 0 is not dimmed";
    EXPECT_EQ(h.intValue(ctrl::ENABLE_2), 0);
    EXPECT_EQ(h.messageBox(), "done\n");
    EXPECT_FALSE(ui::isTimerEnabled(h.panel(), ctrl::TIMER));
    EXPECT_TRUE(ui::userInterfaceQuitRequested());
    EXPECT_TRUE(h.popups.shown.empty());

    const QJsonObject saved = savedValues(h.readFile("Tavrin.state"));
    EXPECT_EQ(saved.value("CURRENT_SINK_CH_2").toInt(), 40);
    EXPECT_EQ(saved.value("ENABLE_2").toInt(), 0);
    EXPECT_EQ(saved.value("VOLTAGE_CH_7").toDouble(), 5.0);
    EXPECT_EQ(saved.value("VOLTAGE_CH_2").toDouble(), 0.0);
    EXPECT_EQ(saved.value("MSGBOX").toString(), "");
    EXPECT_EQ(saved.value("STARTUP_MSG").toInt(), 1) << "the operator's choice is kept";
    EXPECT_EQ(saved.value("INTERLOCK_MSG").toInt(), 0);
    for (int k = 1; k <= 7; ++k) {
        EXPECT_EQ(saved.value("INTERLOCK_" + QString::number(k)).toInt(), 0);
        EXPECT_EQ(saved.value("MODULE_" + QString::number(k)).toString(), "");
    }
    EXPECT_EQ(saved.value("LEFT").toInt(), 140);
    EXPECT_EQ(saved.value("TOP").toInt(), 60);
    EXPECT_EQ(h.app.WindowLeft, 140);
    EXPECT_EQ(h.app.WindowTop, 60);
}

TEST(Quit, ItsLinesAndAFailedCloseThatIsReportedAndPassed)
{
    PanelHarness h(Chassis::at({1, 3}).fault({"KORDA_CloseSpecifiedCard", 8, "300001"}));
    h.writeFile("Tavrin.state", stateFile(idleVoltages({1, 3})));
    ASSERT_EQ(h.start(), 0);
    const std::string before = h.messageBox();
    std::string shownDuringPopup;
    h.popups.whileOpen = [&](const ShownPopup &) { shownDuringPopup = h.messageBox(); };

    h.press(ctrl::QUIT);

    std::string expected = before + "\nprogram terminating...";
    for (int n = 1; n <= 6; ++n)
        expected += offLines(n);
    ASSERT_EQ(h.popups.withTitle("ERROR KORDA").size(), 1u);
    const std::string report = h.popups.shown[0].text;
    EXPECT_EQ(report.rfind("<ERROR 0x8 in line ", 0), 0u) << report;
    EXPECT_EQ(shownDuringPopup, expected + report);
    // Quit went on: card 3 was switched off and closed, the state saved.
    EXPECT_EQ(trace::lines(h.trace("KORDA_CloseSpecifiedCard")).back(),
              "CloseSpecifiedCard " + std::to_string(h.app.card(3).Card));
    EXPECT_EQ(h.messageBox(), "done\n");
    EXPECT_FALSE(h.readFile("Tavrin.state").isEmpty());
}

TEST(Quit, WhatItSendsDependsOnWhatHappenedBefore)
{
    // Right after a reset every voltage is dimmed: each enable operation
    // refuses and quit sends the "off" itself; the sinks get 0 and the cards
    // are closed.
    {
        PanelHarness h(Chassis::at({1, 3}));
        h.writeFile("Tavrin.state", stateFile(idleVoltages({1, 3})));
        ASSERT_EQ(h.start(), 0);
        h.type(ctrl::CURRENT_SINK_CH_14, "20");
        h.press(ctrl::RESET);
        h.clearTrace();
        h.press(ctrl::QUIT);
        EXPECT_EQ(h.calls(),
                  switchedOff(h.app.card(1).Card) + switchedOff(h.app.card(3).Card));
        EXPECT_EQ(h.intValue(ctrl::CURRENT_SINK_CH_14), 20);
        EXPECT_EQ(savedValues(h.readFile("Tavrin.state")).value("CURRENT_SINK_CH_14").toInt(), 20);
        EXPECT_EQ(h.messageBox(), "done\n");
    }
    // No card found: the panel is prepared and saved; no call; the switches
    // keep what they showed.
    {
        PanelHarness h(Chassis::at({}));
        ASSERT_EQ(h.start(), 0);
        h.press(ctrl::ENABLE_3);
        h.clearTrace();
        h.press(ctrl::QUIT);
        EXPECT_TRUE(h.trace().empty());
        EXPECT_EQ(h.intValue(ctrl::ENABLE_3), 1);
        EXPECT_EQ(savedValues(h.readFile("Tavrin.state")).value("ENABLE_3").toInt(), 1);
        EXPECT_EQ(h.messageBox(), "done\n");
        EXPECT_TRUE(ui::userInterfaceQuitRequested());
    }
    // After a lost connection earlier in the run: no driver call at all.
    {
        PanelHarness h(Chassis::at({1, 3}).fault({"KORDA_BattSetCurrent", 4112, "300003"}));
        ASSERT_EQ(h.start(), 0);
        h.type(ctrl::CURRENT_SINK_CH_13, "30");
        ASSERT_EQ(h.app.stopSFPdueToFail, 1);
        h.clearTrace();
        h.press(ctrl::QUIT);
        EXPECT_TRUE(h.trace().empty());
        EXPECT_EQ(savedValues(h.readFile("Tavrin.state")).value("CURRENT_SINK_CH_13").toInt(), 30);
        EXPECT_EQ(h.messageBox(), "done\n");
        EXPECT_TRUE(ui::userInterfaceQuitRequested());
    }
}

TEST(Quit, ALostConnectionInTheMiddleStillClosesThatCardAndSkipsTheRest)
{
    PanelHarness h(Chassis::at({1, 3}).fault({"KORDA_BattSetCurrent", 4112, "300001", 3}));
    h.writeFile("Tavrin.state", stateFile(idleVoltages({1, 3})));
    ASSERT_EQ(h.start(), 0);
    h.type(ctrl::CURRENT_SINK_CH_5, "25");
    h.clearTrace();

    h.press(ctrl::QUIT);

    const std::string c = std::to_string(h.app.card(1).Card);
    const std::vector<std::string> expected = {
        "BattSetCurrent " + c + "/1 0",       "BattGetCurrent " + c + "/1 -> 0", "BattSetEnable " + c + "/1 0",
        "BattSetCurrent " + c + "/2 0",       "BattGetCurrent " + c + "/2 -> 0", "BattSetEnable " + c + "/2 0",
        "BattSetCurrent " + c + "/3 0 !4112", "BattGetCurrent " + c + "/3 -> 0", "CloseSpecifiedCard " + c,
    };
    EXPECT_EQ(h.calls(), expected);
    EXPECT_EQ(h.intValue(ctrl::CURRENT_SINK_CH_5), 25) << "put back, though never sent as 0";
    EXPECT_EQ(h.messageBox(), "done\n");
    EXPECT_EQ(savedValues(h.readFile("Tavrin.state")).value("CURRENT_SINK_CH_5").toInt(), 25);
}

TEST(Quit, TheCloseBoxQuitsOnceAndNothingReachesTheCardsAfterwards)
{
    PanelHarness h(Chassis::at({1}));
    h.writeFile("Tavrin.state", stateFile(idleVoltages({1})));
    ASSERT_EQ(h.start(), 0);
    h.clearTrace();

    QWidget *window = h.widget(ctrl::QUIT)->window();
    EXPECT_FALSE(window->close()) << "the window stays for the program to discard";
    EXPECT_EQ(h.calls(), switchedOff(h.app.card(1).Card));

    h.clearTrace();
    window->close();
    h.press(ctrl::QUIT);
    h.press(ctrl::ENABLE_1);
    h.type(ctrl::VOLTAGE_CH_1, "2");
    EXPECT_TRUE(h.trace().empty());
    EXPECT_EQ(h.messageBox(), "done\n");
}

// A save that fails is told in a popup naming the file and the reason, once
// the cards are safe and closed; the end follows all the same.
TEST(Quit, AStateFileThatCannotBeWrittenIsToldAfterTheCardsAreSafe)
{
    PanelHarness h(Chassis::at({1}));
    ASSERT_TRUE(QDir().mkdir(h.path("Tavrin.state"))); // a directory where the file should go
    ASSERT_EQ(h.start(), 0);
    h.popups.shown.clear();
    std::size_t closedBeforePopup = 0;
    h.popups.whileOpen = [&](const ShownPopup &) { closedBeforePopup = h.trace("KORDA_CloseSpecifiedCard").size(); };
    h.press(ctrl::QUIT);
    EXPECT_TRUE(ui::userInterfaceQuitRequested());
    EXPECT_EQ(h.messageBox(), "done\n");
    ASSERT_EQ(h.popups.shown.size(), 1u);
    EXPECT_EQ(h.popups.shown[0].title, "Settings not saved");
    const std::string &text = h.popups.shown[0].text;
    EXPECT_NE(text.find(h.path("Tavrin.state").toStdString() + ": Is a directory"), std::string::npos) << text;
    EXPECT_EQ(closedBeforePopup, 1u);
    EXPECT_TRUE(h.app.stateNotSaved);
}

// A panel killed earlier left outputs on. At the next start nothing is sent
// and the recalled voltages are dimmed, so the enable operations refuse at
// quit: quit still leaves every output of the card off.
TEST(Quit, OutputsLeftOnByAnEarlierRunAreOffAfterQuit)
{
    PanelHarness h(Chassis::at({1}));
    {
        // The earlier run, straight through the driver.
        KordaSession session = 0;
        KordaCard card = 0;
        ASSERT_EQ(VESTRA_Connect(0, "192.168.100.10", 1024, 1000, &session), 0);
        ASSERT_EQ(KORDA_OpenSpecifiedCard(session, 1, 2, &card), 0);
        for (int s = 1; s <= 6; ++s) {
            ASSERT_EQ(KORDA_BattSetVoltage(session, card, s, 4.0), 0);
            ASSERT_EQ(KORDA_BattSetEnable(session, card, s, 1), 0);
        }
        ASSERT_EQ(KORDA_CloseSpecifiedCard(session, card), 0);
    }
    ASSERT_EQ(h.start(), 0);
    ASSERT_TRUE(h.dimmed(ctrl::VOLTAGE_CH_1));
    h.press(ctrl::QUIT);
    const auto card = korda_sim::cardState("300001");
    ASSERT_TRUE(card.has_value());
    EXPECT_FALSE(card->open);
    for (const korda_sim::SubUnit &sub : card->subs) {
        EXPECT_EQ(sub.enable, 0);
        EXPECT_EQ(sub.amps, 0.0);
    }
}
