// The voltage, sink-current and enable operations of one channel, driven as
// the operator drives them: typing and Enter, arrow clicks, switch presses.
// Each checks the message box byte for byte and the calls the cards received.
#include "channels/channel_callbacks.h"
#include "channels/channel_panel.h"
#include "driver/sim/korda_sim.h"
#include "panel/api/ui.h"
#include "support/reports.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <gtest/gtest.h>

using namespace channel_panel;

namespace {

using Strings = std::vector<std::string>;

// The status check's report of `status` from the line of `call` in the channel operations.
std::string report(const std::string &call, int status, const std::string &description)
{
    return reports::errorReport(status, "src/channels/channel_callbacks.cpp", call + "(", description);
}

const std::string kUnknown77 = reports::unknownStatus(0x77);
using reports::kLost;

// A fault rule failing the first call of `call` on the card `serial`, sub-unit `sub`.
scenario::Fault fault(const std::string &call, const std::string &serial, int sub, int status)
{
    return {call, status, serial, sub};
}

// The popups of driver errors with these texts, as ScriptedPopups::lines has them.
Strings driverErrors(const Strings &texts, const std::string &sentence = {})
{
    Strings lines;
    for (const std::string &text : texts)
        lines.push_back("message ERROR KORDA: " + text + sentence);
    return lines;
}

struct OperatorCase {
    const char *what;
    std::function<void(PanelHarness &)> prepare; // before the mark; may be empty
    std::function<void(PanelHarness &)> act;
    std::string lines;
    Strings calls;
};

void run(const OperatorCase &c, const std::string &scenario)
{
    SCOPED_TRACE(c.what);
    PanelHarness h(scenario);
    ASSERT_TRUE(boot(h));
    if (c.prepare)
        c.prepare(h);
    h.clearTrace();
    const std::string before = h.messageBox();
    c.act(h);
    EXPECT_EQ(h.added(before), c.lines);
    EXPECT_EQ(calls(h), c.calls);
    for (const QJsonObject &call : h.trace()) {
        if (call.contains("session")) {
            EXPECT_EQ(call.value("session").toInt(), h.app.sessionID);
        }
    }
}

} // namespace

TEST(ChannelOperations, EachCommitWritesItsLineAndReachesItsOwnCardAndSubUnit)
{
    // Card numbers: position 1 -> 3, position 2 -> 1, position 7 -> 2.
    const OperatorCase cases[] = {
        {"2.5 V typed on channel 9", {}, [](PanelHarness &h) { h.type(ctrl::VOLTAGE_CH_9, "2.5"); },
         "VOLTAGE_CH_9 - 2.500V --> 2.5000V   ch9\n",
         {"BattSetVoltage 1/3 2.5", "BattGetVoltage 1/3 -> 2.5"}},
        {"50 mA typed on channel 5", {}, [](PanelHarness &h) { h.type(ctrl::CURRENT_SINK_CH_5, "50"); },
         "CURRENT_SINK_CH_5 - 50mA --> 50mA   ch5\n",
         {"BattSetCurrent 3/5 0.05", "BattGetCurrent 3/5 -> 0.05"}},
        {"1 mA on channel 37", {}, [](PanelHarness &h) { h.type(ctrl::CURRENT_SINK_CH_37, "1"); },
         "CURRENT_SINK_CH_37 - 1mA --> 1mA   ch37\n",
         {"BattSetCurrent 2/1 0.001", "BattGetCurrent 2/1 -> 0.001"}},
        {"100 mA on channel 12", {}, [](PanelHarness &h) { h.type(ctrl::CURRENT_SINK_CH_12, "100"); },
         "CURRENT_SINK_CH_12 - 100mA --> 100mA   ch12\n",
         {"BattSetCurrent 1/6 0.1", "BattGetCurrent 1/6 -> 0.1"}},
        {"back to 0 mA on channel 1", [](PanelHarness &h) { h.type(ctrl::CURRENT_SINK_CH_1, "7"); },
         [](PanelHarness &h) { h.type(ctrl::CURRENT_SINK_CH_1, "0"); }, "CURRENT_SINK_CH_1 - 0mA --> 0mA   ch1\n",
         {"BattSetCurrent 3/1 0", "BattGetCurrent 3/1 -> 0"}},
        {"arrow up on channel 7 (step 0.05)", {}, [](PanelHarness &h) { h.stepUp(ctrl::VOLTAGE_CH_7); },
         "VOLTAGE_CH_7 - 0.050V --> 0.0500V   ch7\n",
         {"BattSetVoltage 1/1 0.05", "BattGetVoltage 1/1 -> 0.05"}},
        {"arrow up on channel 42", {}, [](PanelHarness &h) { h.stepUp(ctrl::VOLTAGE_CH_42); },
         "VOLTAGE_CH_42 - 0.500V --> 0.5000V   ch42\n",
         {"BattSetVoltage 2/6 0.5", "BattGetVoltage 2/6 -> 0.5"}},
        {"channel 5 switched on at 0 V: enable first, then the voltage", {},
         [](PanelHarness &h) { h.press(ctrl::ENABLE_5); },
         "ENABLE_5 - 1    ch5\nVOLTAGE_CH_5 - 0.000V --> 0.0000V   ch5\n",
         {"BattSetEnable 3/5 1", "BattSetVoltage 3/5 0",
          "BattGetVoltage 3/5 -> 0"}},
        {"channel 42 switched on re-applies its setpoint",
         [](PanelHarness &h) { h.type(ctrl::VOLTAGE_CH_42, "6.25"); }, [](PanelHarness &h) { h.press(ctrl::ENABLE_42); },
         "ENABLE_42 - 1    ch42\nVOLTAGE_CH_42 - 6.250V --> 6.2500V   ch42\n",
         {"BattSetEnable 2/6 1", "BattSetVoltage 2/6 6.25",
          "BattGetVoltage 2/6 -> 6.25"}},
        {"\"5V\" typed on channel 9 is refused, not sent as 5 V", {},
         [](PanelHarness &h) { h.type(ctrl::VOLTAGE_CH_9, "5V"); }, "", {}},
        {"\"1e2\" typed on channel 5 is refused, not sent as 12 mA", {},
         [](PanelHarness &h) { h.type(ctrl::CURRENT_SINK_CH_5, "1e2"); }, "", {}},
        {"channel 8 switched off: the enable only", [](PanelHarness &h) { h.press(ctrl::ENABLE_8); },
         [](PanelHarness &h) { h.press(ctrl::ENABLE_8); }, "ENABLE_8 - 0    ch8\n",
         {"BattSetEnable 1/2 0"}},
    };
    for (const OperatorCase &c : cases)
        run(c, chassis());
}

TEST(ChannelOperations, TheCardAtTheChannelsPositionHoldsWhatWasCommitted)
{
    PanelHarness h(chassis());
    ASSERT_TRUE(boot(h));
    h.type(ctrl::VOLTAGE_CH_6, "3.5");
    h.type(ctrl::CURRENT_SINK_CH_7, "25");
    h.type(ctrl::VOLTAGE_CH_42, "6.5");
    h.press(ctrl::ENABLE_42);
    EXPECT_EQ(h.app.myCard, kCardOfPosition7);
    EXPECT_EQ(h.app.ch, 6);
    struct Expected {
        const char *serial;
        int sub; // 1..6
        double volts, amps;
        int enable;
    };
    const Expected touched[] = {{"300001", 6, 3.5, 0, 0}, {"300002", 1, 0, 0.025, 0}, {"300007", 6, 6.5, 0, 1}};
    for (const char *serial : {"300001", "300002", "300007"}) {
        const auto card = korda_sim::cardState(serial);
        ASSERT_TRUE(card.has_value());
        for (int s = 1; s <= 6; ++s) {
            SCOPED_TRACE(std::string(serial) + " sub " + std::to_string(s));
            Expected want{serial, s, 0, 0, 0};
            for (const Expected &t : touched)
                if (std::string(t.serial) == serial && t.sub == s)
                    want = t;
            const korda_sim::SubUnit &got = card->subs[static_cast<std::size_t>(s - 1)];
            EXPECT_EQ(got.volts, want.volts);
            EXPECT_EQ(got.amps, want.amps);
            EXPECT_EQ(got.enable, want.enable);
        }
    }
}

TEST(ChannelOperations, ARenamedChannelEndsEveryLaterLineWithItsName)
{
    PanelHarness h(chassis());
    ASSERT_TRUE(boot(h));
    const std::string before = h.messageBox();
    h.type(ctrl::strCh_5, "VBAT");
    EXPECT_EQ(h.messageBox(), before) << "renaming writes nothing";
    h.type(ctrl::VOLTAGE_CH_5, "1");
    h.type(ctrl::CURRENT_SINK_CH_5, "20");
    h.press(ctrl::ENABLE_5);
    h.stepUp(ctrl::VOLTAGE_CH_4);
    EXPECT_EQ(h.added(before), "VOLTAGE_CH_5 - 1.000V --> 1.0000V   chVBAT\n"
                                "CURRENT_SINK_CH_5 - 20mA --> 20mA   chVBAT\n"
                                "ENABLE_5 - 1    chVBAT\n"
                                "VOLTAGE_CH_5 - 1.000V --> 1.0000V   chVBAT\n"
                                "VOLTAGE_CH_4 - 0.500V --> 0.5000V   ch4\n");
    EXPECT_TRUE(h.trace("KORDA_ErrorCodeToMessage").empty());
}

TEST(ChannelOperations, NamesLongerThanFifteenCharactersAreCutInTheLines)
{
    struct Case {
        const char *what;
        bool typed; // else set by the program, which the field does not limit
        QString name;
        std::string field, inLine;
    };
    const Case cases[] = {
        {"typed: the field takes 15", true, "ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNO", "ABCDEFGHIJKLMNO"},
        {"emptied: no name", true, "", "", ""},
        {"set longer by the program: the line cuts it", false, "Battery pack A cell 5", "Battery pack A cell 5",
         "Battery pack A "},
        {"cut by characters, never inside one", false, QString::fromUtf8("Kanal-µ-Spannung-fünf"),
         "Kanal-µ-Spannung-fünf", "Kanal-µ-Spannun"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PanelHarness h(chassis());
        ASSERT_TRUE(boot(h));
        if (c.typed) {
            h.typeWithoutEnter(ctrl::strCh_5, c.name);
            if (c.name.isEmpty())
                QTest::keyClick(h.widget(ctrl::strCh_5), Qt::Key_Delete);
            QTest::keyClick(h.widget(ctrl::strCh_5), Qt::Key_Return);
        } else {
            ui::setText(h.panel(), ctrl::strCh_5, c.name.toStdString());
        }
        EXPECT_EQ(h.text(ctrl::strCh_5), c.field);
        const std::string before = h.messageBox();
        h.type(ctrl::CURRENT_SINK_CH_5, "3");
        h.press(ctrl::ENABLE_5);
        EXPECT_EQ(h.added(before), "CURRENT_SINK_CH_5 - 3mA --> 3mA   ch" + c.inLine + "\nENABLE_5 - 1    ch" + c.inLine
                                        + "\nVOLTAGE_CH_5 - 0.000V --> 0.0000V   ch" + c.inLine + "\n");
    }
}

TEST(ChannelOperations, ADriverErrorLandsInsideTheLineAndTheOperationGoesOn)
{
    struct Case {
        const char *what;
        std::vector<scenario::Fault> faults;
        std::function<void(PanelHarness &)> act;
        std::string lines;
        Strings calls;
        Strings popups;
    };
    const std::string setV = report("KORDA_BattSetVoltage", 0x77, kUnknown77);
    const std::string getV = report("KORDA_BattGetVoltage", 0x77, kUnknown77);
    const std::string setI = report("KORDA_BattSetCurrent", 0x77, kUnknown77);
    const std::string setE = report("KORDA_BattSetEnable", 0x77, kUnknown77);
    const std::string getI = report("KORDA_BattGetCurrent", 0x77, kUnknown77);
    const auto typeV9 = [](PanelHarness &h) { h.type(ctrl::VOLTAGE_CH_9, "2.5"); };
    const auto typeI5 = [](PanelHarness &h) { h.type(ctrl::CURRENT_SINK_CH_5, "50"); };
    const char explain[] = "ErrorCodeToMessage size=200 status_in=119";
    const Case cases[] = {
        {"the set fails: the card keeps 0 V and the read-back says so",
         {fault("KORDA_BattSetVoltage", "300002", 3, 0x77)}, typeV9,
         "VOLTAGE_CH_9 - 2.500V" + setV + " --> 0.0000V   ch9\n",
         {"BattSetVoltage 1/3 2.5 !119", explain,
          "BattGetVoltage 1/3 -> 0"},
         {setV}},
        {"the read-back fails", {fault("KORDA_BattGetVoltage", "300002", 3, 0x77)}, typeV9,
         "VOLTAGE_CH_9 - 2.500V" + getV + " --> (not read)   ch9\n",
         {"BattSetVoltage 1/3 2.5", "BattGetVoltage 1/3 !119", explain},
         {getV}},
        {"both fail: two reports, two popups",
         {fault("KORDA_BattSetVoltage", "300002", 3, 0x77), fault("KORDA_BattGetVoltage", "300002", 3, 0x77)},
         typeV9, "VOLTAGE_CH_9 - 2.500V" + setV + getV + " --> (not read)   ch9\n",
         {"BattSetVoltage 1/3 2.5 !119", explain,
          "BattGetVoltage 1/3 !119", explain},
         {setV, getV}},
        {"the sink set fails", {fault("KORDA_BattSetCurrent", "300001", 5, 0x77)}, typeI5,
         "CURRENT_SINK_CH_5 - 50mA" + setI + " --> 0mA   ch5\n",
         {"BattSetCurrent 3/5 0.05 !119", explain,
          "BattGetCurrent 3/5 -> 0"},
         {setI}},
        {"the sink read-back fails", {fault("KORDA_BattGetCurrent", "300001", 5, 0x77)}, typeI5,
         "CURRENT_SINK_CH_5 - 50mA" + getI + " --> (not read)   ch5\n",
         {"BattSetCurrent 3/5 0.05", "BattGetCurrent 3/5 !119", explain},
         {getI}},
        {"the enable fails: its line closes, then the voltage follows",
         {fault("KORDA_BattSetEnable", "300001", 5, 0x77)}, [](PanelHarness &h) { h.press(ctrl::ENABLE_5); },
         "ENABLE_5 - 1  " + setE + "  ch5\nVOLTAGE_CH_5 - 0.000V --> 0.0000V   ch5\n",
         {"BattSetEnable 3/5 1 !119", explain,
          "BattSetVoltage 3/5 0", "BattGetVoltage 3/5 -> 0"},
         {setE}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PanelHarness h(chassis().faults(c.faults));
        ASSERT_TRUE(boot(h));
        const std::string before = h.messageBox();
        c.act(h);
        EXPECT_EQ(h.added(before), c.lines);
        EXPECT_EQ(calls(h), c.calls);
        EXPECT_EQ(h.popups.lines(), driverErrors(c.popups));
        EXPECT_EQ(h.app.stopSFPdueToFail, 0);
        // The panel goes on: the next commit on the same channel works.
        h.clearTrace();
        h.type(ctrl::CURRENT_SINK_CH_9, "9");
        EXPECT_EQ(calls(h).size(), 2u);
    }
}

TEST(ChannelOperations, ALostConnectionFinishesTheOperationThenNothingMoreIsSent)
{
    struct Case {
        const char *what;
        std::vector<scenario::Fault> faults;
        std::function<void(PanelHarness &)> act;
        std::string lines;
        Strings calls;
        Strings reports; // each popup shows its report and the sentence
    };
    const std::string setV = report("KORDA_BattSetVoltage", 4112, kLost);
    const std::string setI = report("KORDA_BattSetCurrent", 4112, kLost);
    const std::string getI = report("KORDA_BattGetCurrent", 4112, kLost);
    const std::string setE = report("KORDA_BattSetEnable", 4112, kLost);
    const char explain[] = "ErrorCodeToMessage size=200 status_in=4112";
    const Case cases[] = {
        {"from the voltage set: the read-back is still made",
         {fault("KORDA_BattSetVoltage", "300002", 3, 4112)}, [](PanelHarness &h) { h.type(ctrl::VOLTAGE_CH_9, "2.5"); },
         "VOLTAGE_CH_9 - 2.500V" + setV + " --> 0.0000V   ch9\n",
         {"BattSetVoltage 1/3 2.5 !4112", explain,
          "BattGetVoltage 1/3 -> 0"},
         {setV}},
        {"from the sink set and its read-back: reported twice",
         {fault("KORDA_BattSetCurrent", "300001", 5, 4112), fault("KORDA_BattGetCurrent", "300001", 5, 4112)},
         [](PanelHarness &h) { h.type(ctrl::CURRENT_SINK_CH_5, "50"); },
         "CURRENT_SINK_CH_5 - 50mA" + setI + getI + " --> (not read)   ch5\n",
         {"BattSetCurrent 3/5 0.05 !4112", explain, "BattGetCurrent 3/5 !4112",
          explain},
         {setI, getI}},
        {"from the enable: the voltage operation does nothing",
         {fault("KORDA_BattSetEnable", "300007", 6, 4112)}, [](PanelHarness &h) { h.press(ctrl::ENABLE_42); },
         "ENABLE_42 - 1  " + setE + "  ch42\n", {"BattSetEnable 2/6 1 !4112", explain}, {setE}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PanelHarness h(chassis().faults(c.faults));
        ASSERT_TRUE(boot(h));
        const std::string before = h.messageBox();
        c.act(h);
        EXPECT_EQ(h.added(before), c.lines);
        EXPECT_EQ(calls(h), c.calls);
        EXPECT_EQ(h.popups.lines(), driverErrors(c.reports, reports::kRelaunch));
        EXPECT_EQ(h.app.stopSFPdueToFail, 1);
        EXPECT_FALSE(ui::isTimerEnabled(h.panel(), ctrl::TIMER));

        // Later commits on any channel do nothing at all, not even the name.
        h.clearTrace();
        const std::string stopped = h.messageBox();
        h.type(ctrl::VOLTAGE_CH_10, "3");
        h.type(ctrl::CURRENT_SINK_CH_9, "5");
        h.press(ctrl::ENABLE_9);
        h.stepUp(ctrl::VOLTAGE_CH_1);
        h.press(ctrl::ENABLE_9);
        EXPECT_EQ(h.messageBox(), stopped);
        EXPECT_TRUE(h.trace().empty());
        EXPECT_EQ(h.popups.shown.size(), c.reports.size());
    }
}

TEST(ChannelOperations, AnEnableWhoseVoltageIsDimmedRefusesAndEmptiesTheBox)
{
    PanelHarness h(chassis());
    // Channel 5 comes back with 2 V: dimmed, not yet on the card. Channel 4 with 0 V.
    ASSERT_TRUE(boot(h, {{"VOLTAGE_CH_5", 2.0}}));
    ASSERT_TRUE(h.dimmed(ctrl::VOLTAGE_CH_5));
    ASSERT_FALSE(h.dimmed(ctrl::ENABLE_5));
    ASSERT_FALSE(h.messageBox().empty());
    for (int press = 1; press <= 2; ++press) {
        SCOPED_TRACE(press);
        h.press(ctrl::ENABLE_5);
        EXPECT_EQ(h.messageBox(), "");
        EXPECT_EQ(h.intValue(ctrl::ENABLE_5), 0);
        auto *button = qobject_cast<QAbstractButton *>(h.widget(ctrl::ENABLE_5));
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->isChecked()) << "the switch springs back to off";
        EXPECT_TRUE(h.trace().empty());
        EXPECT_TRUE(h.popups.shown.empty());
        EXPECT_TRUE(h.dimmed(ctrl::VOLTAGE_CH_5));
        EXPECT_EQ(h.doubleValue(ctrl::VOLTAGE_CH_5), 2.0);
    }
    // The channel beside it, recalled at 0 V, switches on and gets 0 V.
    h.press(ctrl::ENABLE_4);
    EXPECT_EQ(h.messageBox(), "ENABLE_4 - 1    ch4\nVOLTAGE_CH_4 - 0.000V --> 0.0000V   ch4\n");
    EXPECT_EQ(calls(h), (Strings{"BattSetEnable 3/4 1",
                                 "BattSetVoltage 3/4 0",
                                 "BattGetVoltage 3/4 -> 0"}));
}

TEST(ChannelOperations, ACommitOnAPositionWithoutACardSendsNothing)
{
    PanelHarness h(chassis());
    ASSERT_TRUE(boot(h));
    EXPECT_EQ(h.app.myCard, 0);
    EXPECT_EQ(h.app.ch, 0);
    h.type(ctrl::VOLTAGE_CH_9, "1.5"); // channel 9 becomes the current channel
    h.clearTrace();
    const std::string before = h.messageBox();
    h.type(ctrl::VOLTAGE_CH_13, "2.5");
    h.type(ctrl::CURRENT_SINK_CH_20, "50");
    h.press(ctrl::ENABLE_36);
    h.press(ctrl::ENABLE_36);
    h.stepUp(ctrl::VOLTAGE_CH_24);
    EXPECT_EQ(h.added(before), "VOLTAGE_CH_13 - 2.500V --> not sent (no card)   ch\n"
                                "CURRENT_SINK_CH_20 - 50mA --> not sent (no card)   ch\n"
                                "ENABLE_36 - 1  --> not sent (no card)  ch\n"
                                "VOLTAGE_CH_36 - 0.000V --> not sent (no card)   ch\n"
                                "ENABLE_36 - 0  --> not sent (no card)  ch\n"
                                "VOLTAGE_CH_24 - 0.500V --> not sent (no card)   ch\n");
    EXPECT_TRUE(h.trace().empty()) << "no set and no read-back of another channel";
    EXPECT_TRUE(h.popups.shown.empty());
    EXPECT_EQ(h.app.myCard, kCardOfPosition2);
    EXPECT_EQ(h.app.ch, 3);
}

TEST(ChannelOperations, OnlyACommitActsAndProgramCallsIgnoreTheDimming)
{
    PanelHarness h(chassis());
    ASSERT_TRUE(boot(h, {{"VOLTAGE_CH_9", 4.0}, {"CURRENT_SINK_CH_9", 12}}));
    ASSERT_TRUE(h.dimmed(ctrl::VOLTAGE_CH_9));
    ASSERT_TRUE(h.dimmed(ctrl::CURRENT_SINK_CH_9));
    const std::string before = h.messageBox();
    for (int event : {0, int(ui::kTimerTick), 3}) {
        ctrl_voltage_source(h.panel(), ctrl::VOLTAGE_CH_9, event, &h.app, 0, 0);
        ctrl_current_sink(h.panel(), ctrl::CURRENT_SINK_CH_9, event, &h.app, 0, 0);
        ctrl_enable(h.panel(), ctrl::ENABLE_9, event, &h.app, 0, 0);
    }
    h.typeWithoutEnter(ctrl::VOLTAGE_CH_10, "4"); // typed, not confirmed
    EXPECT_EQ(h.messageBox(), before);
    EXPECT_TRUE(h.trace().empty());

    // The group operations call the callbacks on dimmed controls: they act all the same.
    ctrl_voltage_source(h.panel(), ctrl::VOLTAGE_CH_9, ui::kCommit, &h.app, 0, 0);
    ctrl_current_sink(h.panel(), ctrl::CURRENT_SINK_CH_9, ui::kCommit, &h.app, 0, 0);
    EXPECT_EQ(h.added(before), "VOLTAGE_CH_9 - 4.000V --> 4.0000V   ch9\nCURRENT_SINK_CH_9 - 12mA --> 12mA   ch9\n");
    EXPECT_EQ(calls(h), (Strings{"BattSetVoltage 1/3 4",
                                 "BattGetVoltage 1/3 -> 4",
                                 "BattSetCurrent 1/3 0.012",
                                 "BattGetCurrent 1/3 -> 0.012"}));
}

// PageUp, PageDown and the wheel with Ctrl or Shift move a focused voltage by
// one arrow step, and that step is the one value sent to the card.
TEST(OneStepPerKey, PageKeysAndModifiedWheelMoveOneStepAndSendIt)
{
    struct Action {
        const char *name;
        std::function<void(QWidget *)> act;
        int steps; // the value after it, in arrow steps from 0
    };
    const auto wheel = [](Qt::KeyboardModifiers modifiers, QPoint delta) {
        return [modifiers, delta](QWidget *w) {
            const QPointF at = w->rect().center();
            QWheelEvent e(at, w->mapToGlobal(at), QPoint(), delta, Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
            QApplication::sendEvent(w, &e);
        };
    };
    const Action actions[] = {
        {"PageUp", [](QWidget *w) { QTest::keyClick(w, Qt::Key_PageUp); }, 1},
        {"Ctrl+wheel up", wheel(Qt::ControlModifier, {0, 120}), 2},
        {"Shift+wheel turned sideways", wheel(Qt::ShiftModifier, {120, 0}), 3},
        {"a fine wheel, half a notch", wheel(Qt::NoModifier, {0, 60}), 3},
        {"the other half", wheel(Qt::NoModifier, {0, 60}), 4},
        {"PageDown", [](QWidget *w) { QTest::keyClick(w, Qt::Key_PageDown); }, 3},
    };
    for (const auto &[control, step] : {std::pair{ctrl::VOLTAGE_CH_1, 0.05}, std::pair{ctrl::VOLTAGE_CH_8, 0.5}}) {
        PanelHarness h(chassis());
        ASSERT_TRUE(boot(h));
        QWidget *field = h.widget(control);
        QApplication::setActiveWindow(field->window());
        field->setFocus();
        ASSERT_TRUE(field->hasFocus());
        int before = 0;
        for (const Action &a : actions) {
            SCOPED_TRACE(ui::constantName(h.panel(), control) + ": " + a.name);
            h.clearTrace();
            a.act(field);
            const double volts = a.steps * step;
            EXPECT_NEAR(h.doubleValue(control), volts, 1e-9);
            const auto sets = h.trace("KORDA_BattSetVoltage");
            ASSERT_EQ(sets.size(), a.steps == before ? 0u : 1u);
            if (!sets.empty()) {
                EXPECT_NEAR(sets[0].value("volts").toDouble(), volts, 1e-9);
            }
            before = a.steps;
        }
    }
}
