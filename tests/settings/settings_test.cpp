// The chassis, serial-number and address settings: one popup per confirmed
// change, nothing else changes until the next start.
#include "support/scenario.h"
#include "support/state_file.h"
#include "support/operator_actions.h"
#include "support/panel_harness.h"

#include <gtest/gtest.h>

using scenario::Chassis;
using scenario::savedValues;
using scenario::stateFile;

namespace {

const char kPxi[] = "PXI chassis selection,\n\nto take effect, please re-launch application";
const char kLxi[] = "LXI chassis selection,\n\nenter correct IP address\n\nto take effect, please re-launch application";
const char kSn[] = "you changed the module's serial number settings,\n\nto take effect, please re-launch application";
const char kIp[] = "you changed the chassis' IP address settings,\n\nto take effect, please re-launch application";

std::string message(const std::string &title, const std::string &text) { return "message " + title + ": " + text; }

} // namespace

TEST(Settings, EachConfirmedChangeGivesOnePopupAndTouchesNoCard)
{
    PanelHarness h;
    ASSERT_EQ(h.start(), 0);
    const KordaSession session = h.app.sessionID;
    const KordaCard card4 = h.app.card(4).Card;
    h.clearTrace();
    const std::string box = h.messageBox();

    h.press(ctrl::PXI);
    EXPECT_TRUE(h.dimmed(ctrl::IPADDRESS));
    h.press(ctrl::PXI);
    EXPECT_FALSE(h.dimmed(ctrl::IPADDRESS));

    h.type(ctrl::SN_4, "300099");
    operator_actions::leave(h.widget(ctrl::SN_4)); // the change was already confirmed
    h.type(ctrl::SN_4, "300099");                  // the same text again: no change

    h.typeWithoutEnter(ctrl::IPADDRESS, "10.1.2.3");
    operator_actions::leave(h.widget(ctrl::IPADDRESS)); // leaving the field confirms
    h.type(ctrl::SN_6, "x"); // not checked: any text is taken

    const std::vector<std::string> expected = {
        message("Chassis Selection", kPxi), message("Chassis Selection", kLxi),
        message("S/N Settings", kSn),       message("IP Address Settings", kIp),
        message("S/N Settings", kSn),
    };
    EXPECT_EQ(h.popups.lines(), expected);
    EXPECT_TRUE(h.trace().empty());
    EXPECT_EQ(h.messageBox(), box);
    EXPECT_EQ(h.text(ctrl::IPADDRESS), "10.1.2.3");
    EXPECT_EQ(h.text(ctrl::SN_4), "300099");

    // The card opened for position 4 stays in use until the next start.
    EXPECT_EQ(h.app.sessionID, session);
    EXPECT_EQ(h.app.card(4).SN, "300004");
    h.type(ctrl::CURRENT_SINK_CH_19, "5");
    const std::vector<QJsonObject> set = h.trace("KORDA_BattSetCurrent");
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set[0].value("card").toInt(), card4);
}

TEST(Settings, AfterALostConnectionThePopupsStillComeAndTheChangesAreSaved)
{
    PanelHarness h(Chassis::at({1}).fault({"VESTRA_Connect", 4112}));
    ASSERT_EQ(h.start(), 0);
    ASSERT_EQ(h.app.stopSFPdueToFail, 1);
    h.popups.shown.clear();
    h.clearTrace();

    h.type(ctrl::IPADDRESS, "10.0.0.7");
    h.type(ctrl::SN_2, "123456");
    h.press(ctrl::PXI); // dims the address field
    EXPECT_EQ(h.popups.shown.size(), 3u);

    h.press(ctrl::QUIT);
    EXPECT_TRUE(h.trace().empty());
    const QJsonObject saved = savedValues(h.readFile("Tavrin.state"));
    EXPECT_EQ(saved.value("PXI").toInt(), 1);
    EXPECT_EQ(saved.value("SN_2").toString(), "123456");
    EXPECT_EQ(saved.value("IPADDRESS").toString(), "10.0.0.7");
}

TEST(Settings, AnAddressRunSavesPxiYetTheNextRunWithThatAddressUsesTheLan)
{
    QByteArray file;
    {
        PanelHarness h;
        ASSERT_EQ(h.start("10.0.0.5"), 0); // no chassis answers there
        h.press(ctrl::PXI);
        h.press(ctrl::QUIT);
        file = h.readFile("Tavrin_10.0.0.5.state");
        EXPECT_TRUE(h.readFile("Tavrin.state").isEmpty());
    }
    EXPECT_EQ(savedValues(file).value("PXI").toInt(), 1);
    PanelHarness h;
    h.writeFile("Tavrin_10.0.0.5.state", file);
    ASSERT_EQ(h.start("10.0.0.5"), 0);
    EXPECT_EQ(h.intValue(ctrl::PXI), 0);
    EXPECT_EQ(h.text(ctrl::IPADDRESS), "10.0.0.5");
}
