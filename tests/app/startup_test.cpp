// The start-up sequence on the simulated chassis: what the panel shows, which
// state file it reads, how the command line and the window position apply.
#include "app/startup.h"
#include "panel/api/ui.h"
#include "support/state_file.h"
#include "support/panel_harness.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFileInfo>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

namespace {

using scenario::stateFile;

const char kBuiltinStart[] = " searching cards  in LXI Chassis, IP address: 192.168.100.10\n"
                             "\nCard1 S/N 300001 found\nCard2 S/N 300002 found\nCard3 S/N 300003 found"
                             "\nCard4 S/N 300004 found\nCard5 S/N 300005 found\nCard6 S/N 300006 found"
                             "\nCard7 S/N 300007 found\n...OK!\n";

} // namespace

TEST(Startup, AFirstStartShowsTheDefinitionAndFindsTheBuiltInCards)
{
    PanelHarness h;
    ASSERT_EQ(h.start(), 0);
    EXPECT_EQ(h.messageBox(), kBuiltinStart);
    EXPECT_EQ(h.app.CMD_ACTIVE, 0);
    EXPECT_EQ(h.app.TavrinStateFile, "Tavrin.state");
    EXPECT_EQ(h.text(ctrl::VERSION), "Version 1.0.3\n17-JAN-2017");
    EXPECT_EQ(h.intValue(ctrl::PXI), 0);
    EXPECT_FALSE(h.dimmed(ctrl::IPADDRESS));
    for (int k = 1; k <= 7; ++k) {
        EXPECT_EQ(h.app.card(k).cardFound, 1);
        EXPECT_EQ(h.text(ctrl::SN_1 + 2 * (k - 1)), "30000" + std::to_string(k));
    }
    for (int id : {ctrl::AVAILABLE_1, ctrl::AVAILABLE_4, ctrl::AVAILABLE_7})
        EXPECT_FALSE(h.visible(id));
    EXPECT_NE(h.text(ctrl::MODULE_3).find("300003"), std::string::npos);
    EXPECT_NE(h.text(ctrl::MODULE_3).find("58-214-003"), std::string::npos);
    EXPECT_TRUE(h.popups.shown.empty());
    EXPECT_EQ(h.app.stopSFPdueToFail, 0);
}

TEST(Startup, TheCommandLineChoosesTheStateFileAndOverridesTheRecalledChassis)
{
    struct Case {
        std::string commandLine;
        std::string file;
    };
    const Case cases[] = {
        {"10.0.0.5", "Tavrin_10.0.0.5.state"},
        {"my chassis  two", "Tavrin_my chassis  two.state"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.commandLine);
        PanelHarness h;
        h.writeFile(QString::fromStdString(c.file),
                    stateFile({{"PXI", 1}, {"IPADDRESS", "192.168.1.1"}, {"VOLTAGE_CH_2", 3.5}}));
        h.writeFile("Tavrin.state", stateFile({{"VOLTAGE_CH_2", 6.5}}));
        ASSERT_EQ(h.start(c.commandLine), 0);
        EXPECT_EQ(h.app.CMD_ACTIVE, 1);
        EXPECT_EQ(h.app.TavrinStateFile, c.file);
        EXPECT_EQ(h.text(ctrl::IPADDRESS), c.commandLine) << "used whole, blanks and all";
        EXPECT_EQ(h.intValue(ctrl::PXI), 0);
        EXPECT_EQ(h.doubleValue(ctrl::VOLTAGE_CH_2), 3.5) << "the address's own file was recalled";
        // No chassis answers there: the report carries the device line.
        EXPECT_NE(h.messageBox().find("\ndevice: " + c.commandLine.substr(0, 15) + "\n"), std::string::npos);
    }
}

TEST(Startup, WithoutACommandLineTheRecallDecidesTheChassis)
{
    PanelHarness h;
    h.writeFile("Tavrin.state", stateFile({{"PXI", 1}, {"IPADDRESS", "10.9.9.9"}}));
    ASSERT_EQ(h.start(), 0);
    EXPECT_EQ(h.intValue(ctrl::PXI), 1);
    EXPECT_TRUE(h.dimmed(ctrl::IPADDRESS));
    EXPECT_EQ(h.text(ctrl::IPADDRESS), "10.9.9.9");
    EXPECT_EQ(h.messageBox().rfind(" searching cards  in PXI Chassis...\n\nCard1 S/N 300001 found", 0), 0u);
}

// On the 2560x1440 test screen: a recalled 0 leaves the definition's 20; a
// position that would put part of the window off the screen is moved in.
TEST(Startup, TheRecalledWindowPositionAppliesUnlessZeroAndIsMovedOntoTheScreen)
{
    // The window's frame on the screen's edge: right / bottom, or left / top.
    const int kFar = -1, kNear = -2;
    struct Case {
        int left, top;
        int expectLeft, expectTop;
    };
    const Case cases[] = {
        {0, 120, 20, 120},
        {130, 0, 130, 20},
        {150, 90, 150, 90},
        {0, 0, 20, 20},
        {25000, 90, kFar, 90}, // a monitor that is gone
        {2500, 1400, kFar, kFar},
        {-9000, -9000, kNear, kNear},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.left) + "," + std::to_string(c.top));
        PanelHarness h;
        h.writeFile("Tavrin.state", stateFile({{"LEFT", c.left}, {"TOP", c.top}}));
        ASSERT_EQ(h.start(), 0);
        EXPECT_EQ(h.app.WindowLeft, c.left);
        EXPECT_EQ(h.app.WindowTop, c.top);
        const QRect frame = h.widget(ctrl::MSGBOX)->window()->frameGeometry();
        if (c.expectLeft == kFar)
            EXPECT_EQ(frame.right(), 2559);
        else if (c.expectLeft == kNear)
            EXPECT_EQ(frame.left(), 0);
        else
            EXPECT_EQ(ui::panelLeft(h.panel()), c.expectLeft);
        if (c.expectTop == kFar)
            EXPECT_EQ(frame.bottom(), 1439);
        else if (c.expectTop == kNear)
            EXPECT_EQ(frame.top(), 0);
        else
            EXPECT_EQ(ui::panelTop(h.panel()), c.expectTop);
    }
}

TEST(Startup, AMissingPanelDefinitionEndsWithMinusOne)
{
    PanelHarness h;
    AppState app;
    std::string error;
    EXPECT_EQ(startPanel(app, "", h.path("nothing.uir").toStdString(), &error), -1);
    EXPECT_NE(error.find("nothing.uir"), std::string::npos);
    h.writeFile("broken.uir", "{\"format\": \"tavr-panel-definition\"");
    EXPECT_EQ(startPanel(app, "", h.path("broken.uir").toStdString(), &error), -1);
    EXPECT_LT(app.bsdpanel, 0);
}

// A definition that is not the one the program was built for, or holds
// numbers no control can take, is refused before anything is shown, with one
// line that names the control and the problem; no card is touched.
TEST(Startup, ADefinitionOtherThanTheCompiledOneIsRefused)
{
    QFile real(QDir(QCoreApplication::applicationDirPath()).filePath("tavr.uir"));
    ASSERT_TRUE(real.open(QIODevice::ReadOnly));
    const QJsonObject original = QJsonDocument::fromJson(real.readAll()).object();
    using Edit = std::function<void(QJsonObject &panel, QJsonArray &controls)>;
    const auto at = [](QJsonArray &controls, const char *constant) {
        for (qsizetype i = 0; i < controls.size(); ++i)
            if (controls[i].toObject().value("constant").toString() == constant)
                return i;
        return qsizetype(-1);
    };
    const auto change = [at](const char *constant, const char *key, const QJsonValue &value) {
        return Edit([=](QJsonObject &, QJsonArray &controls) {
            const qsizetype i = at(controls, constant);
            QJsonObject c = controls[i].toObject();
            c[key] = value;
            controls[i] = c;
        });
    };
    const auto remove = [at](const char *constant) {
        return Edit([=](QJsonObject &, QJsonArray &controls) { controls.removeAt(at(controls, constant)); });
    };
    struct Case {
        const char *what;
        Edit edit;
        const char *reason;
    };
    const Case cases[] = {
        {"no timer", remove("TIMER"), "control TIMER is missing"},
        {"no message box", remove("MSGBOX"), "control MSGBOX is missing"},
        {"renumbered", change("PXI", "id", 400), "control PXI has identifier 400, the program was built for 11"},
        {"another kind", change("TIMER", "kind", "textmsg"), "control TIMER is of kind textmsg, the program was built for timer"},
        {"one more control",
         [](QJsonObject &, QJsonArray &controls) {
             controls.append(QJsonObject{{"id", 300}, {"constant", "EXTRA"}, {"kind", "textmsg"}});
         },
         "control EXTRA (300) is not one the program knows"},
        {"another panel id", [](QJsonObject &panel, QJsonArray &) { panel["id"] = 500; }, "panel BSDpanel has identifier 500"},
        {"a timer that never ticks", change("TIMER", "interval", 1e7), "TIMER): \"interval\" must be from 0.001"},
        {"a timer that never rests", change("TIMER", "interval", 1e-6), "TIMER): \"interval\" must be from 0.001"},
        {"precision beyond an int", change("VOLTAGE_CH_1", "precision", 1e300), "VOLTAGE_CH_1): \"precision\""},
        {"a step beyond 32 bits", change("CURRENT_SINK_CH_1", "step", 1e12), "CURRENT_SINK_CH_1): an int32 control"},
        {"a text limit beyond an int", change("SN_1", "max_length", 1e300), "SN_1): \"max_length\""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PanelHarness h;
        QJsonObject root = original;
        QJsonArray panels = root.value("panels").toArray();
        QJsonObject panel = panels[0].toObject();
        QJsonArray controls = panel.value("controls").toArray();
        c.edit(panel, controls);
        panel["controls"] = controls;
        panels[0] = panel;
        root["panels"] = panels;
        h.writeFile("other.uir", QJsonDocument(root).toJson());
        AppState app;
        std::string error;
        EXPECT_EQ(startPanel(app, "", h.path("other.uir").toStdString(), &error), -1);
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        EXPECT_LT(app.bsdpanel, 0);
        EXPECT_TRUE(h.trace().empty()) << "no driver call";
        for (const QWidget *w : QApplication::topLevelWidgets())
            EXPECT_FALSE(w->isVisible()) << "nothing shown";
    }
}

// The status line: the chassis and address discovery used (a later change
// of the settings waits for the next start), the state file's full path,
// whether the message record is kept, and whether the interlock poll still
// runs.
TEST(Startup, TheStatusLineNamesTheChassisTheStateFileAndThePoll)
{
    PanelHarness h;
    ASSERT_EQ(h.start("192.168.100.10"), 0);
    const QString line = "Chassis: LXI at 192.168.100.10    State file: " +
                         QFileInfo(h.path("Tavrin_192.168.100.10.state")).absoluteFilePath() + "\nRecord: off";
    EXPECT_EQ(h.statusLine(), line + "\nInterlock poll: running");
    ui::setInt(h.panel(), ctrl::PXI, 1);
    ui::setTimerEnabled(h.panel(), ctrl::TIMER, false); // as status 34 or 4112 does
    EXPECT_EQ(h.statusLine(), line + "\nInterlock poll: stopped");
}
