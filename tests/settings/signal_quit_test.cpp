// SIGTERM, SIGINT and SIGHUP end the panel through quit, with nobody at the
// panel: real signals raised in this process, read through the event loop.
#include "app/signal_quit.h"
#include "panel/api/ui.h"
#include "settings/switched_off.h"
#include "support/operator_actions.h"
#include "support/scenario.h"
#include "support/state_file.h"
#include "support/panel_harness.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>

using scenario::Chassis;
using scenario::idleVoltages;
using scenario::savedValues;
using scenario::stateFile;

namespace {

// The signal arrives; the user-interface thread reads it the next time an
// event loop (the main one or a popup's) looks at its events.
void deliver(int signal)
{
    ASSERT_EQ(std::raise(signal), 0);
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// Cards at positions 1 and 3 whose voltages are not dimmed, so that quit
// switches their outputs off.
QByteArray idleStart(QJsonObject more = {})
{
    QJsonObject values = idleVoltages({1, 3});
    values.insert("STARTUP_MSG", 1);
    for (auto it = more.begin(); it != more.end(); ++it)
        values.insert(it.key(), it.value());
    return stateFile(values);
}

} // namespace

TEST(SignalQuit, EachOfTheThreeSignalsRunsTheQuitOfTheQuitButton)
{
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        PanelHarness h(Chassis::at({1, 3}));
        h.writeFile("Tavrin.state", idleStart());
        const SignalQuit handlers(h.app);
        ASSERT_TRUE(handlers.installed()) << handlers.error();
        ASSERT_EQ(h.start(), 0);
        h.enterEventLoop();
        h.type(ctrl::CURRENT_SINK_CH_15, "8");
        h.clearTrace();

        deliver(signal);

        EXPECT_EQ(h.calls(), switchedOff(h.app.card(1).Card) + switchedOff(h.app.card(3).Card));
        EXPECT_TRUE(ui::userInterfaceQuitRequested());
        EXPECT_TRUE(h.app.unattendedQuit);
        EXPECT_EQ(h.messageBox(), "done\n");
        EXPECT_EQ(savedValues(h.readFile("Tavrin.state")).value("CURRENT_SINK_CH_15").toInt(), 8);
    }
}

TEST(SignalQuit, APopupOpenWhenTheSignalComesIsClosedAndQuitFollowsTheCallback)
{
    // An error popup inside set-all: the set-all finishes its six channels,
    // then quit runs; the error of a close during quit is not waited for.
    {
        PanelHarness h(Chassis::at({1, 3}).fault({"KORDA_BattSetVoltage", 8, "300001", 2}).fault({"KORDA_CloseSpecifiedCard", 8, "300001"}));
        h.writeFile("Tavrin.state", idleStart());
        const SignalQuit handlers(h.app);
        ASSERT_EQ(h.start(), 0);
        h.enterEventLoop();
        h.clearTrace();
        h.popups.whileOpen = [](const ShownPopup &) { deliver(SIGTERM); };
        testing::internal::CaptureStderr();

        h.press(ctrl::SET_V_ALL_MODULE1);

        const std::string err = testing::internal::GetCapturedStderr();
        const int c1 = h.app.card(1).Card;
        std::vector<std::string> setAll;
        for (int s = 1; s <= 6; ++s) {
            const std::string at = std::to_string(c1) + "/" + std::to_string(s);
            setAll.push_back("BattSetVoltage " + at + " 0" + (s == 2 ? " !8" : ""));
            setAll.push_back("BattGetVoltage " + at + " -> 0");
        }
        EXPECT_EQ(h.calls(), setAll + switchedOff(c1, 8) + switchedOff(h.app.card(3).Card));
        EXPECT_EQ(h.popups.shown.size(), 1u) << "the close error of quit is not waited for";
        EXPECT_EQ(h.popups.closedByProgram, 1);
        EXPECT_EQ(h.intValue(ctrl::SET_V_ALL_MODULE1), 0) << "set-all ended as usual";
        EXPECT_NE(err.find("tavr: ERROR KORDA: <ERROR 0x8 in line "), std::string::npos) << err;
    }
    // The enable-all warning: closed, so cancelled, whatever the operator
    // would have answered.
    {
        PanelHarness h(Chassis::at({1, 3}));
        h.writeFile("Tavrin.state", idleStart());
        const SignalQuit handlers(h.app);
        ASSERT_EQ(h.start(), 0);
        h.enterEventLoop();
        h.clearTrace();
        h.popups.confirmAnswers = {1};
        h.popups.whileOpen = [](const ShownPopup &) { deliver(SIGINT); };

        h.press(ctrl::ENABLEALL);

        EXPECT_EQ(h.calls(), switchedOff(h.app.card(1).Card) + switchedOff(h.app.card(3).Card));
        EXPECT_EQ(h.popups.closedByProgram, 1);
    }
    // The hint popup of the first tick: the tick reads the cards, then quit.
    {
        PanelHarness h(Chassis::at({1, 3}));
        h.writeFile("Tavrin.state", idleStart({{"STARTUP_MSG", 0}}));
        const SignalQuit handlers(h.app);
        ASSERT_EQ(h.start(), 0);
        h.enterEventLoop();
        h.clearTrace();
        h.popups.whileOpen = [](const ShownPopup &) { deliver(SIGHUP); };

        h.tick();

        const std::string c1 = std::to_string(h.app.card(1).Card);
        const std::string c3 = std::to_string(h.app.card(3).Card);
        const std::vector<std::string> tick = {"BattReadInterlockState " + c1 + "/1 -> 1", "BattGetVoltage " + c1 + "/1 -> 0",
                                               "BattGetCurrent " + c1 + "/1 -> 0", "BattGetEnable " + c1 + "/1 -> 0",
                                               "BattReadInterlockState " + c3 + "/1 -> 1"};
        EXPECT_EQ(h.calls(), tick + switchedOff(h.app.card(1).Card) + switchedOff(h.app.card(3).Card));
        ASSERT_EQ(h.popups.shown.size(), 1u);
        EXPECT_EQ(h.popups.shown[0].title, "User Information");
    }
}

TEST(SignalQuit, TheProgramsOwnDialogsAreClosedByTheSignal)
{
    struct Case {
        const char *what;
        std::function<void(PanelHarness &)> opensDialog; // and waits for the operator
        const char *dialogClass;
        const char *savedSerial2;
    };
    const Case cases[] = {
        {"a settings popup", [](PanelHarness &h) { h.type(ctrl::SN_2, "300009"); }, "QMessageBox", "300009"},
        {"the file dialog of a load", [](PanelHarness &h) { h.choose("Load setpoints..."); }, "QFileDialog", "300002"},
        {"a save's question whether to replace a file",
         [](PanelHarness &h) {
             h.writeFile("pack.csv", "kept");
             QObject whileChoosing;
             operator_actions::whenShown(&whileChoosing, "QFileDialog", [path = h.path("pack.csv")](QWidget *w) {
                 auto *dialog = qobject_cast<QFileDialog *>(w);
                 dialog->selectFile(path);
                 QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection); // asks, and waits
             });
             h.choose("Save setpoints...");
             EXPECT_EQ(h.readFile("pack.csv"), "kept");
         },
         "QMessageBox", "300002"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PanelHarness h(Chassis::at({1}));
        h.writeFile("Tavrin.state", stateFile(idleVoltages({1})));
        const SignalQuit handlers(h.app);
        ASSERT_TRUE(handlers.installed()) << handlers.error();
        ASSERT_EQ(h.start(), 0);
        h.enterEventLoop();
        h.clearTrace();
        ui::setPopupPresenter(nullptr);
        bool dialogShown = false;
        bool leftOpen = false;
        QObject thisCase; // its timers go with it
        operator_actions::whenShown(&thisCase, c.dialogClass, [&](QWidget *) {
            dialogShown = true;
            std::raise(SIGTERM);
        });
        QTimer::singleShot(3000, &thisCase, [&] { // never reached when the signal works
            if (QWidget *w = QApplication::activeModalWidget()) {
                leftOpen = true;
                w->close();
            }
        });

        c.opensDialog(h);

        EXPECT_TRUE(dialogShown);
        EXPECT_FALSE(leftOpen);
        EXPECT_EQ(h.calls(), switchedOff(h.app.card(1).Card));
        EXPECT_EQ(savedValues(h.readFile("Tavrin.state")).value("SN_2").toString(), c.savedSerial2);
    }
}

TEST(SignalQuit, ASignalDuringStartUpEndsSafelyAsTheLoopStarts)
{
    // Both cards' second identity read fails: discovery shows error popups.
    PanelHarness h(Chassis::at({1, 3}).fault({"KORDA_CardId", 8, "300001", 0, 2}).fault({"KORDA_CardId", 8, "300003", 0, 2}));
    h.writeFile("Tavrin.state", idleStart({{"CURRENT_SINK_CH_1", 12}}));
    const SignalQuit handlers(h.app);
    h.popups.whileOpen = [](const ShownPopup &) { deliver(SIGTERM); };

    ASSERT_EQ(h.start(), 0);

    EXPECT_EQ(h.popups.shown.size(), 1u) << "the second report did not wait";
    EXPECT_EQ(h.app.card(1).cardFound, 1);
    EXPECT_EQ(h.app.card(3).cardFound, 1) << "discovery ran to its end";
    EXPECT_TRUE(h.trace("KORDA_CloseSpecifiedCard").empty()) << "quit waits for the start-up to finish";
    h.clearTrace();

    QElapsedTimer clock;
    clock.start();
    ui::runUserInterface();
    EXPECT_LT(clock.elapsed(), 1000) << "the loop ends at once";
    EXPECT_EQ(h.calls(), switchedOff(h.app.card(1).Card) + switchedOff(h.app.card(3).Card));
    const QJsonObject saved = savedValues(h.readFile("Tavrin.state"));
    EXPECT_EQ(saved.value("CURRENT_SINK_CH_1").toInt(), 12);
    EXPECT_EQ(saved.value("MSGBOX").toString(), "");
}

TEST(SignalQuit, SignalsDuringOrAfterQuitStartNoSecondQuit)
{
    PanelHarness h(Chassis::at({1, 3}).fault({"KORDA_CloseSpecifiedCard", 8, "300001"}).fault({"KORDA_CloseSpecifiedCard", 8, "300003"}));
    h.writeFile("Tavrin.state", idleStart());
    const SignalQuit handlers(h.app);
    ASSERT_EQ(h.start(), 0);
    h.enterEventLoop();
    h.clearTrace();
    h.popups.whileOpen = [](const ShownPopup &) {
        deliver(SIGTERM);
        deliver(SIGINT);
    };

    h.press(ctrl::QUIT); // the operator's quit, held by the first close error

    EXPECT_EQ(h.calls(), switchedOff(h.app.card(1).Card, 8) + switchedOff(h.app.card(3).Card, 8));
    EXPECT_EQ(h.popups.shown.size(), 1u) << "after the signal nothing waits";
    EXPECT_EQ(h.popups.closedByProgram, 1);
    EXPECT_EQ(h.messageBox(), "done\n");

    h.clearTrace();
    deliver(SIGHUP);
    EXPECT_TRUE(h.trace().empty());
    EXPECT_EQ(h.messageBox(), "done\n");
}

TEST(SignalQuit, UnattendedPopupsDoNotWaitYetTheReportsStayInTheBox)
{
    PanelHarness h(Chassis::at({1}).fault({"KORDA_BattSetCurrent", 8, "300001", 1}));
    h.writeFile("Tavrin.state", stateFile(idleVoltages({1})));
    ASSERT_EQ(h.start(), 0);
    ui::setPopupsUnattended(true);
    h.clearTrace();
    h.popups.confirmAnswers = {1};
    testing::internal::CaptureStderr();

    h.type(ctrl::CURRENT_SINK_CH_1, "5");
    h.press(ctrl::ENABLEALL);
    h.choose("Load setpoints..."); // no file chosen

    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(h.popups.shown.empty());
    EXPECT_NE(h.messageBox().find("CURRENT_SINK_CH_1 - 5mA<ERROR 0x8 in line "), std::string::npos);
    EXPECT_NE(err.find("tavr: ERROR KORDA: <ERROR 0x8 in line "), std::string::npos) << err;
    EXPECT_NE(err.find("tavr: Enable All 42 Channels: Would you really"), std::string::npos) << err;
    EXPECT_TRUE(h.trace("KORDA_BattSetEnable").empty()) << "an unanswered warning is a no";
    EXPECT_EQ(h.intValue(ctrl::ENABLE_1), 0);
}
