// What the operator leaves on the panel at QUIT is what the next start shows.
#include "panel/api/ui.h"
#include "support/panel_harness.h"
#include "support/state_file.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <iterator>
#include <gtest/gtest.h>

TEST(Persistence, QuitSavesThePanelAndTheNextStartShowsItAsLeft)
{
    QByteArray saved;
    {
        PanelHarness h;
        ASSERT_EQ(h.start(), 0);
        h.popups.shown.clear();
        h.type(ctrl::VOLTAGE_CH_9, "2.5"); // dimmed at start-up: a recalled 1.0
        EXPECT_EQ(h.doubleValue(ctrl::VOLTAGE_CH_9), 1.0) << "a dimmed field takes no typing";
        ui::setDimmed(h.panel(), ctrl::VOLTAGE_CH_9, false);
        h.type(ctrl::VOLTAGE_CH_9, "2.5");
        h.type(ctrl::CURRENT_SINK_CH_5, "40");
        h.type(ctrl::strCh_5, "VBAT");
        h.press(ctrl::STARTUP_MSG);
        h.press(ctrl::INTERLOCK_MSG);
        ui::setPanelLeft(h.panel(), 140); // the operator moved the window
        ui::setPanelTop(h.panel(), 95);
        h.press(ctrl::QUIT);
        EXPECT_TRUE(ui::userInterfaceQuitRequested());
        EXPECT_EQ(h.messageBox(), "done\n");
        saved = h.readFile("Tavrin.state");
    }
    ASSERT_FALSE(saved.isEmpty());
    const QJsonObject values =
        QJsonDocument::fromJson(saved).object().value("slots").toObject().value("0").toObject();
    EXPECT_EQ(values.value("VOLTAGE_CH_9").toDouble(), 2.5);
    EXPECT_EQ(values.value("CURRENT_SINK_CH_5").toInt(), 40);
    EXPECT_EQ(values.value("strCh_5").toString(), "VBAT");
    EXPECT_EQ(values.value("LEFT").toInt(), 140);
    EXPECT_EQ(values.value("TOP").toInt(), 95);
    EXPECT_EQ(values.value("MSGBOX").toString(), "");
    EXPECT_EQ(values.value("INTERLOCK_MSG").toInt(), 0);
    EXPECT_EQ(values.value("STARTUP_MSG").toInt(), 1);
    EXPECT_EQ(values.value("MODULE_1").toString(), "");

    PanelHarness next;
    next.writeFile("Tavrin.state", saved);
    ASSERT_EQ(next.start(), 0);
    EXPECT_EQ(next.doubleValue(ctrl::VOLTAGE_CH_9), 2.5);
    EXPECT_EQ(next.intValue(ctrl::CURRENT_SINK_CH_5), 40);
    EXPECT_EQ(next.text(ctrl::strCh_5), "VBAT");
    EXPECT_EQ(next.intValue(ctrl::STARTUP_MSG), 1);
    EXPECT_EQ(ui::panelLeft(next.panel()), 140);
    EXPECT_EQ(ui::panelTop(next.panel()), 95);
    EXPECT_TRUE(next.dimmed(ctrl::VOLTAGE_CH_9));
    EXPECT_TRUE(next.dimmed(ctrl::CURRENT_SINK_CH_5));
    EXPECT_EQ(next.messageBox().rfind(" searching cards ", 0), 0u) << "the old box content is gone";
}

TEST(Persistence, AnAddressesSettingsStayInItsOwnFile)
{
    PanelHarness h;
    h.writeFile("Tavrin.state", "untouched");
    ASSERT_EQ(h.start("10.1.2.3"), 0);
    h.press(ctrl::PXI);
    h.press(ctrl::QUIT);
    EXPECT_EQ(h.readFile("Tavrin.state"), "untouched");
    const QJsonObject values = QJsonDocument::fromJson(h.readFile("Tavrin_10.1.2.3.state"))
                                   .object().value("slots").toObject().value("0").toObject();
    EXPECT_EQ(values.value("IPADDRESS").toString(), "10.1.2.3");
    EXPECT_EQ(values.value("PXI").toInt(), 1) << "saved as set; the next start with the address sets it back to 0";
}

// A state file is outside input. Its texts reach every log line of their
// channel and the discovery line of the address; a character that could
// forge a line or hide what a name says shows as U+FFFD, so that discovery
// writes no line of the file's making and each commit still writes one line.
TEST(Persistence, TextsOfTheFileForgeNoLogLine)
{
    {
        PanelHarness h; // no chassis answers at the address
        h.writeFile("Tavrin.state", scenario::stateFile({{"PXI", 0}, {"IPADDRESS", "10.0.0.5\n...OK!\n"}}));
        ASSERT_EQ(h.start(), 0);
        EXPECT_EQ(h.messageBox().find("\n...OK!"), std::string::npos) << h.messageBox();
        EXPECT_EQ(h.text(ctrl::IPADDRESS), QString("10.0.0.5\uFFFD...OK!").toStdString());
    }
    const char16_t hostile[] = {u'\n', u'\r', 0x1b, 0x07, 0x00, 0x7f, 0x85, 0x9b, 0x200e, 0x200f,
                                0x061c, 0x202a, 0x202e, 0x2066, 0x2069, 0x2028, 0x2029};
    const int channels = static_cast<int>(std::size(hostile));
    QJsonObject values = scenario::idleVoltages({1, 2, 3});
    values.insert("PXI", 1);
    values.insert("SN_4", QString("300004") + QChar(0x1b) + "[2J");
    for (int n = 1; n <= channels; ++n)
        values.insert(QString("strCh_%1").arg(n), "x" + QString(QChar(hostile[n - 1])) + "y");
    PanelHarness h;
    h.writeFile("Tavrin.state", scenario::stateFile(values));
    ASSERT_EQ(h.start(), 0);
    EXPECT_EQ(h.text(ctrl::SN_4), QString("300004\uFFFD[2J").toStdString());
    for (int n = 1; n <= channels; ++n) {
        SCOPED_TRACE(n);
        const std::string before = h.messageBox();
        h.type(controls::voltageOf(n), "0.5");
        const std::string line = h.added(before);
        EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1) << line;
        EXPECT_TRUE(QString::fromStdString(line).endsWith(QString("chx\uFFFDy\n"))) << line;
    }
}
