// The start-up sequence on the simulated chassis: what the panel shows, which
// state file it reads, how the command line and the window position apply.
#include "app/startup.h"
#include "panel/ui.h"
#include "support/state_file.h"
#include "support/panel_harness.h"

#include <QJsonDocument>
#include <QJsonObject>
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

TEST(Startup, TheRecalledWindowPositionAppliesUnlessZeroOrOutOfSight)
{
    struct Case {
        int left, top;
        int expectLeft, expectTop; // -1: the definition's
    };
    const Case cases[] = {
        {0, 120, -1, 120},
        {130, 0, 130, -1},
        {150, 90, 150, 90},
        {0, 0, -1, -1},
        {25000, 90, -1, -1},   // a monitor that is gone
        {-9000, -9000, -1, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.left) + "," + std::to_string(c.top));
        PanelHarness h;
        h.writeFile("Tavrin.state", stateFile({{"LEFT", c.left}, {"TOP", c.top}}));
        ASSERT_EQ(h.start(), 0);
        EXPECT_EQ(h.app.WindowLeft, c.left);
        EXPECT_EQ(h.app.WindowTop, c.top);
        EXPECT_EQ(ui::panelLeft(h.panel()), c.expectLeft < 0 ? 20 : c.expectLeft);
        EXPECT_EQ(ui::panelTop(h.panel()), c.expectTop < 0 ? 20 : c.expectTop);
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
