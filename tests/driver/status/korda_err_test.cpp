// The status check on a started panel: what the message box and the popup say
// for a status, the device line, the stop after a lost chassis connection, and
// texts longer than the report's usual room.
#include "driver/sim/korda_sim.h"
#include "driver/status/korda_err.h"
#include "panel/api/ui.h"
#include "support/panel_harness.h"
#include "support/reports.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const char kPopupTitle[] = "ERROR KORDA";
const char kChannelLineSoFar[] = "VOLTAGE_CH_9 - 2.500V";
// The default LAN chassis answers here, so a start with it finds every card.
const char kDefaultAddress[] = "192.168.100.10";

const std::vector<int32_t> kAllFound(kCardPositions, 1);
const std::vector<int32_t> kNoneFound(kCardPositions, 0);

// Starts the panel (all seven cards found, the poll on) and forgets what the
// start wrote, so that a check sees only its own effects.
void startQuietly(PanelHarness &h, const std::string &commandLine, const std::string &boxText = {})
{
    ASSERT_EQ(h.start(commandLine), 0);
    ASSERT_EQ(h.foundFlags(), kAllFound);
    ASSERT_TRUE(h.timerEnabled());
    ui::resetTextBox(h.panel(), ctrl::MSGBOX, boxText);
    h.popups.shown.clear();
    h.clearTrace();
}

// The driver calls of the status check: the descriptions of these statuses, limit 200, and nothing else.
std::vector<std::string> lookupsOf(std::initializer_list<int> statuses)
{
    std::vector<std::string> calls;
    for (const int status : statuses)
        calls.push_back("ErrorCodeToMessage size=200 status_in=" + std::to_string(status));
    return calls;
}

} // namespace

TEST(StatusCheck, ASuccessPassesSilently)
{
    for (const std::string commandLine : {"", kDefaultAddress}) {
        SCOPED_TRACE(commandLine);
        PanelHarness h;
        startQuietly(h, commandLine);
        EXPECT_EQ(KORDA_ERR(h.app, 120, 0), 0);
        EXPECT_EQ(h.messageBox(), "");
        EXPECT_TRUE(h.popups.shown.empty());
        EXPECT_TRUE(h.trace().empty()) << "not even the description is asked for";
        EXPECT_TRUE(h.timerEnabled());
        EXPECT_EQ(h.app.stopSFPdueToFail, 0);
        EXPECT_EQ(h.foundFlags(), kAllFound);
    }
}

TEST(StatusCheck, AnyOtherStatusGivesOneReportInTheBoxAndTheSamePopup)
{
    struct Case {
        std::string commandLine;
        const char *addressNow; // IPADDRESS changed since the start; null: as the start left it
        KordaStatus status;
        int line;
        std::string report;
    };
    const Case cases[] = {
        {"", nullptr, 0x2002, 57, "<ERROR 0x2002 in line 57 = Card number is not open in this session>\n"},
        {"", nullptr, 34, 301,
         "<ERROR 0x22 in line 301 = Interlock state cannot be read: the card is not responding>\n"},
        {"", nullptr, -1, 8, "<ERROR 0xffffffff in line 8 = Unknown status 0xffffffff>\n"},
        {"", nullptr, INT32_MIN, 9, "<ERROR 0x80000000 in line 9 = Unknown status 0x80000000>\n"},
        {"", nullptr, 0x7fffffff, 0, "<ERROR 0x7fffffff in line 0 = Unknown status 0x7fffffff>\n"},
        {kDefaultAddress, nullptr, 1, 1, "<ERROR 0x1 in line 1 = Unknown status 0x1>\n\ndevice: 192.168.100.10\n"},
        // The device line shows the field as it is now.
        {kDefaultAddress, "127.0.0.9", 0x1013, 88,
         "<ERROR 0x1013 in line 88 = No chassis answers at this address>\n\ndevice: 127.0.0.9\n"},
        {kDefaultAddress, "", 0x2008, 1234,
         "<ERROR 0x2008 in line 1234 = Value out of range: 0 to 7 V, 0 to 0.1 A, and a number>\n\ndevice: \n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.report);
        PanelHarness h;
        startQuietly(h, c.commandLine, kChannelLineSoFar);
        if (c.addressNow)
            ui::setText(h.panel(), ctrl::IPADDRESS, c.addressNow);

        EXPECT_EQ(KORDA_ERR(h.app, c.line, c.status), c.status);

        EXPECT_EQ(h.messageBox(), kChannelLineSoFar + c.report) << "right after the line's text, no break in front";
        ASSERT_EQ(h.popups.shown.size(), 1u);
        EXPECT_EQ(h.popups.shown[0].kind, "message");
        EXPECT_EQ(h.popups.shown[0].title, kPopupTitle);
        EXPECT_EQ(h.popups.shown[0].text, c.report);
        EXPECT_EQ(h.calls(trace::Lookups::Kept), lookupsOf({c.status}));
        EXPECT_TRUE(h.timerEnabled());
        EXPECT_EQ(h.app.stopSFPdueToFail, 0);
        EXPECT_EQ(h.foundFlags(), kAllFound);
    }
}

TEST(StatusCheck, ALostConnectionStopsThePollTheCardsAndAllTraffic)
{
    for (const std::string commandLine : {"", kDefaultAddress}) {
        SCOPED_TRACE(commandLine);
        PanelHarness h;
        startQuietly(h, commandLine);
        const std::string report = std::string("<ERROR 0x1010 in line 594 = Connection to the chassis lost>\n") +
                                   (commandLine.empty() ? "" : "\ndevice: 192.168.100.10\n");

        // What holds while the operator still reads the popup.
        bool timerWhileOpen = true;
        int32_t stopWhileOpen = 0;
        std::vector<int32_t> flagsWhileOpen;
        std::string boxWhileOpen;
        h.popups.whileOpen = [&](const ShownPopup &) {
            timerWhileOpen = h.timerEnabled();
            stopWhileOpen = h.app.stopSFPdueToFail;
            flagsWhileOpen = h.foundFlags();
            boxWhileOpen = h.messageBox();
        };

        EXPECT_EQ(KORDA_ERR(h.app, 594, KORDA_STATUS_CONNECTION_LOST), 4112);

        EXPECT_FALSE(timerWhileOpen);
        EXPECT_EQ(stopWhileOpen, 1);
        EXPECT_EQ(flagsWhileOpen, kAllFound) << "the flags are cleared once the popup is closed";
        EXPECT_EQ(boxWhileOpen, report);
        ASSERT_EQ(h.popups.shown.size(), 1u);
        EXPECT_EQ(h.popups.shown[0].title, kPopupTitle);
        EXPECT_EQ(h.popups.shown[0].text, report + reports::kRelaunch) << "the sentence is in the popup only";
        EXPECT_EQ(h.messageBox(), report);
        EXPECT_FALSE(h.timerEnabled());
        EXPECT_EQ(h.app.stopSFPdueToFail, 1);
        EXPECT_EQ(h.foundFlags(), kNoneFound);

        // A call still under way that fails again is reported again, each
        // status once; the stop stays.
        h.popups.whileOpen = nullptr;
        EXPECT_EQ(KORDA_ERR(h.app, 600, KORDA_STATUS_CONNECTION_LOST), 4112);
        EXPECT_EQ(KORDA_ERR(h.app, 601, 0x2002), 0x2002);
        ASSERT_EQ(h.popups.shown.size(), 3u);
        EXPECT_EQ(h.popups.shown[1].text.rfind("<ERROR 0x1010 in line 600 = ", 0), 0u);
        EXPECT_NE(h.popups.shown[1].text.find(reports::kRelaunch), std::string::npos);
        EXPECT_EQ(h.popups.shown[2].text.find(reports::kRelaunch), std::string::npos);
        EXPECT_EQ(h.messageBox().find("\nSFP should"), std::string::npos);
        EXPECT_EQ(h.calls(trace::Lookups::Kept), lookupsOf({4112, 4112, 0x2002}));

        // From now on the operator's commits and the poll reach no card.
        h.clearTrace();
        h.enterEventLoop();
        h.stepUp(ctrl::CURRENT_SINK_CH_9);
        h.press(ctrl::ENABLE_9);
        h.press(ctrl::ENABLE_ALL_MODULE2);
        h.tick();
        EXPECT_TRUE(h.trace().empty());
        EXPECT_EQ(h.popups.shown.size(), 3u);
    }
}

TEST(StatusCheck, LongDescriptionsAreKeptWholeWithinTheLookupLimit)
{
    const std::string d199(199, 'd');
    const std::string d300 = std::string(150, 'a') + std::string(150, 'b');
    const std::string umlauts = "Gerät antwortet nicht – Verbindung prüfen"; // 2- and 3-byte characters
    struct Case {
        std::string name;
        std::string description;
        std::string shown; // as it stands in the report
    };
    const Case cases[] = {
        {"199 characters, the most the limit leaves", d199, d199},
        {"longer: the lookup cuts it", d300, d300.substr(0, 199)},
        {"not ASCII", umlauts, umlauts},
        {"empty", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PanelHarness h;
        startQuietly(h, kDefaultAddress);
        ui::setText(h.panel(), ctrl::IPADDRESS, "255.255.255.255");
        korda_sim::describeStatusAs(KORDA_STATUS_CONNECTION_LOST, c.description);

        EXPECT_EQ(KORDA_ERR(h.app, 2048, KORDA_STATUS_CONNECTION_LOST), 4112);

        // Report, device line and sentence well beyond 256 characters, nothing lost.
        const std::string report = "<ERROR 0x1010 in line 2048 = " + c.shown + ">\n\ndevice: 255.255.255.255\n";
        EXPECT_EQ(h.messageBox(), report);
        ASSERT_EQ(h.popups.shown.size(), 1u);
        EXPECT_EQ(h.popups.shown[0].text, report + reports::kRelaunch);
    }
}

TEST(StatusCheck, TheDeviceLineShowsAtMost15CharactersOfTheAddress)
{
    struct Case {
        std::string address;
        std::string shown;
    };
    const Case cases[] = {
        {"255.255.255.255", "255.255.255.255"},
        {"255.255.255.2550", "255.255.255.255"},
        {"chassis-in-the-lab.example.org", "chassis-in-the-"},
        {"gerät-überprüfung-7", "gerät-überprüfu"}, // 15 characters, not 15 bytes
        {"a b", "a b"},
    };
    PanelHarness h;
    startQuietly(h, kDefaultAddress);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.address);
        ui::resetTextBox(h.panel(), ctrl::MSGBOX, "");
        h.popups.shown.clear();
        ui::setText(h.panel(), ctrl::IPADDRESS, c.address);
        EXPECT_EQ(KORDA_ERR(h.app, 42, 0x2006), 0x2006);
        const std::string report =
            "<ERROR 0x2006 in line 42 = No card at this bus and slot>\n\ndevice: " + c.shown + "\n";
        EXPECT_EQ(h.messageBox(), report);
        ASSERT_EQ(h.popups.shown.size(), 1u);
        EXPECT_EQ(h.popups.shown[0].text, report);
        EXPECT_EQ(h.text(ctrl::IPADDRESS), c.address) << "the field itself is left alone";
    }
}
