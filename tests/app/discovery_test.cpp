// Card discovery at start-up, on simulated chassis described by scenarios:
// which card takes which position, what the cards are told and in what order,
// what the operator reads, and how failures end it.
#include "channels/channel_map.h"
#include "driver/sim/korda_sim.h"
#include "panel/definition/panel_definition.h"
#include "panel/api/ui.h"
#include "support/on_screen.h"
#include "support/panel_harness.h"
#include "support/reports.h"
#include "support/scenario.h"
#include "support/state_file.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QWidget>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using scenario::Card;
using scenario::kDefaultAddress;
using scenario::kModel;
using scenario::kOtherModel;
using scenario::stateFile;

const char kLxiLine[] = " searching cards  in LXI Chassis, IP address: 192.168.100.10\n";

std::string builtIdentity(const std::string &serial)
{
    return std::string(kModel) + " Battery Simulator 6ch, S/N " + serial + ", FW 2.01";
}

// The built-in chassis' cards, in bus/slot order.
std::vector<Card> builtinCards()
{
    return {{1, 2, "300001"}, {1, 3, "300002"}, {1, 4, "300003"}, {1, 5, "400101", kOtherModel},
            {2, 2, "300004"}, {2, 3, "300005"}, {2, 4, "300006"}, {2, 5, "300007"}};
}

QString snName(int k) { return QString("SN_%1").arg(k); }
int moduleOf(int k) { return channel_map::positionControls(k).module; }
int availableOf(int k) { return channel_map::positionControls(k).available; }

std::string withStatus(const std::string &line, int status)
{
    return status == 0 ? line : line + " !" + std::to_string(status);
}
std::string callConnect(const std::string &address, int status = 0)
{
    return withStatus("VESTRA_Connect address=" + address + " flags=0 port=1024 timeout_ms=1000", status);
}
std::string callCount(int status = 0) { return withStatus("CountFreeCards", status); }
std::string callFind(int n) { return "FindFreeCards count=" + std::to_string(n); }
std::string callOpen(int bus, int slot, int status = 0)
{
    return withStatus("OpenSpecifiedCard bus=" + std::to_string(bus) + " slot=" + std::to_string(slot), status);
}
std::string callId(int card, int status = 0) { return withStatus("CardId " + std::to_string(card) + " size=100", status); }
std::string callClose(int card) { return "CloseSpecifiedCard " + std::to_string(card); }
std::string callLookup(int status) { return "ErrorCodeToMessage size=200 status_in=" + std::to_string(status); }

std::string report(const std::string &needle, int status, const std::string &description)
{
    return reports::errorReport(status, "src/app/discovery.cpp", needle, description);
}

const char kConnectLan[] = "VESTRA_Connect(0, charVal";
const char kConnectPxi[] = "VESTRA_Connect(0, \"PXI\"";
const char kFirstIdentity[] = "KORDA_CardId(app.sessionID, CardNum, CardID, kIdLimit)) != 0";
const char kSecondIdentity[] = "KORDA_CHECK(app, KORDA_CardId(app.sessionID, CardNum, CardID, kIdLimit));";
const char kOpen[] = "KORDA_OpenSpecifiedCard(";
const char kCount[] = "KORDA_CountFreeCards(";

// Checks what each position shows: `identities` maps the found positions to
// their card's identity; every other position is empty, lamp shown.
void expectPositions(const PanelHarness &h, const std::map<int, std::string> &identities)
{
    for (int k = 1; k <= kCardPositions; ++k) {
        SCOPED_TRACE("position " + std::to_string(k));
        const auto it = identities.find(k);
        EXPECT_EQ(h.app.card(k).cardFound, it != identities.end() ? 1 : 0);
        EXPECT_EQ(h.text(moduleOf(k)), it != identities.end() ? it->second : "");
        EXPECT_EQ(h.visible(availableOf(k)), it == identities.end());
    }
}

bool isOpen(const std::string &serial) { return korda_sim::cardState(serial, kDefaultAddress).value().open; }

} // namespace

TEST(Discovery, TheBuiltInChassisGivesEachCardItsPositionByLanOrPxi)
{
    for (const bool pxi : {false, true}) {
        SCOPED_TRACE(pxi ? "PXI" : "LAN");
        PanelHarness h;
        if (pxi)
            h.writeFile("Tavrin.state", stateFile({{"PXI", 1}}));
        ASSERT_EQ(h.start(), 0);

        std::string box = pxi ? " searching cards  in PXI Chassis...\n" : kLxiLine;
        for (int k = 1; k <= 7; ++k)
            box += "\nCard" + std::to_string(k) + " S/N 30000" + std::to_string(k) + " found";
        EXPECT_EQ(h.messageBox(), box + "\n...OK!\n");
        EXPECT_TRUE(h.popups.shown.empty());
        EXPECT_EQ(h.dimmed(ctrl::IPADDRESS), pxi);

        // Opened in bus/slot order; the other model's card is closed again.
        const std::vector<std::string> calls = {
            callConnect(pxi ? "PXI" : kDefaultAddress), callCount(), callFind(8),
            callOpen(1, 2), callId(1), callId(1),
            callOpen(1, 3), callId(2), callId(2),
            callOpen(1, 4), callId(3), callId(3),
            callOpen(1, 5), callId(4), callClose(4),
            callOpen(2, 2), callId(5), callId(5),
            callOpen(2, 3), callId(6), callId(6),
            callOpen(2, 4), callId(7), callId(7),
            callOpen(2, 5), callId(8), callId(8)};
        EXPECT_EQ(h.calls(trace::Lookups::Kept), calls);

        std::map<int, std::string> identities;
        for (int k = 1; k <= 7; ++k)
            identities[k] = builtIdentity("30000" + std::to_string(k));
        expectPositions(h, identities);
        const KordaCard numbers[] = {1, 2, 3, 5, 6, 7, 8};
        for (int k = 1; k <= 7; ++k)
            EXPECT_EQ(h.app.card(k).Card, numbers[k - 1]);
        EXPECT_EQ(h.app.card(3).SN, "300003");
        EXPECT_FALSE(korda_sim::cardState("400101", pxi ? "PXI" : kDefaultAddress).value().open);
    }
}

TEST(Discovery, TheWindowTitleCarriesTheVersionAndSaysTheChassisIsSimulated)
{
    PanelHarness h;
    ASSERT_EQ(h.start(), 0);
    const auto def =
        panel::loadPanelDefinition(QDir(QApplication::applicationDirPath()).filePath("tavr.uir"), "BSDpanel");
    ASSERT_TRUE(def);
    EXPECT_EQ(ui::panelTitle(h.panel()), def->title.toStdString() + " " TAVR_VERSION "  [SIMULATED CHASSIS - no hardware]");
}

TEST(Discovery, ACardGoesToTheFirstPositionWhoseSixCharacterSerialItsIdentityHolds)
{
    struct Case {
        std::string name;
        std::vector<Card> cards;
        std::map<int, std::string> serials;   // SN_k changed from the definition's 30000k
        std::string lines;                    // after the LXI line
        std::map<int, std::string> positions; // found position -> identity shown
        std::set<std::string> open;           // cards left open
        std::vector<std::string> calls;       // the whole trace, where it matters
    };
    const std::string twinA = builtIdentity("300003") + " (A)";
    const std::string twinB = builtIdentity("300003") + " (B)";
    const Case cases[] = {
        {"only serials of exactly six characters match, never an empty one",
         {{1, 2, "300001"}, {1, 3, "3000022"}, {1, 4, "30003"}, {1, 5, "300004"}},
         {{1, "30000"}, {2, "3000022"}, {3, "30003"}, {5, ""}, {6, ""}, {7, ""}},
         "\nCard4 S/N 300004 found\n...OK!\n",
         {{4, builtIdentity("300004")}},
         {"300004"},
         {}},
        {"the same serial for two positions: the first takes the card",
         {{1, 2, "300002"}},
         {{5, "300002"}},
         "\nCard2 S/N 300002 found\n...OK!\n",
         {{2, builtIdentity("300002")}},
         {"300002"},
         {}},
        {"a serial inside the model string matches any candidate, after earlier positions",
         {{1, 2, "300001"}, {1, 3, "999999"}},
         {{6, "214-00"}},
         "\nCard1 S/N 300001 found\nCard6 S/N 214-00 found\n...OK!\n",
         {{1, builtIdentity("300001")}, {6, builtIdentity("999999")}},
         {"300001", "999999"},
         {}},
        {"without the model string no serial counts",
         {{1, 2, "300003", kOtherModel},
          {1, 3, "X1", kModel, "58-214-00 3 Battery Simulator, S/N 300005"},
          {1, 4, "X2", kModel, "58-214-003"}},
         {{4, "58-214"}},
         "\nCard4 S/N 58-214 found\n...OK!\n",
         {{4, "58-214-003"}},
         {"X2"},
         {callConnect(kDefaultAddress), callCount(), callFind(3), callOpen(1, 2), callId(1), callClose(1), callOpen(1, 3),
          callId(2), callClose(2), callOpen(1, 4), callId(3), callId(3)}},
        {"serials compare byte for byte, case included",
         {{1, 2, "AB1234"}, {1, 3, "ab1234"}},
         {{1, "ab1234"}, {2, "AB123 "}},
         "\nCard1 S/N ab1234 found\n...OK!\n",
         {{1, builtIdentity("ab1234")}},
         {"ab1234"},
         {}},
        // Card 2 (the later) ends up at position 3; card 1 is never closed.
        {"two candidates for one position: the later takes it, the earlier stays open",
         {{1, 2, "A", kModel, twinA}, {1, 3, "B", kModel, twinB}},
         {},
         "\nCard3 S/N 300003 found\nCard3 S/N 300003 found\n...OK!\n",
         {{3, twinB}},
         {"A", "B"},
         {callConnect(kDefaultAddress), callCount(), callFind(2), callOpen(1, 2), callId(1), callId(1), callOpen(1, 3),
          callId(2), callId(2)}},
        {"no card of the model with a wanted serial",
         {{1, 2, "400101", kOtherModel}, {1, 3, "300009"}},
         {},
         "\nNO MODULES FOUND\n",
         {},
         {},
         {}},
        {"no free card",
         {},
         {},
         "\nNO MODULES FOUND\n",
         {},
         {},
         {callConnect(kDefaultAddress), callCount(), callFind(0)}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PanelHarness h(scenario::Chassis().cards(c.cards));
        QJsonObject values;
        for (const auto &[k, serial] : c.serials)
            values[snName(k)] = QString::fromStdString(serial);
        h.writeFile("Tavrin.state", stateFile(values));
        ASSERT_EQ(h.start(), 0);

        EXPECT_EQ(h.messageBox(), kLxiLine + c.lines);
        EXPECT_TRUE(h.popups.shown.empty());
        expectPositions(h, c.positions);
        for (const Card &card : c.cards)
            EXPECT_EQ(isOpen(card.serial), c.open.count(card.serial) == 1) << card.serial;
        if (!c.calls.empty()) {
            EXPECT_EQ(h.calls(trace::Lookups::Kept), c.calls);
        }
        // Each found position drives the card whose identity it shows.
        for (const auto &[k, identity] : c.positions)
            for (const Card &card : c.cards)
                if (card.identity.value_or(builtIdentity(card.serial)) == identity) {
                    EXPECT_EQ(h.app.card(k).Card, korda_sim::cardState(card.serial, kDefaultAddress).value().number);
                }
    }
}

TEST(Discovery, WhereNoChassisAnswersTheReportIsFollowedByNoModules)
{
    struct Case {
        std::string name;
        std::string commandLine;
        QJsonObject values; // state file
        std::string connectLine;
        std::string address;
        std::string device; // the report's device line
    };
    const Case cases[] = {
        {"address on the command line", "127.0.0.9", {}, " in LXI Chassis, IP address: 127.0.0.9\n", "127.0.0.9",
         "\ndevice: 127.0.0.9\n"},
        {"address recalled", "", {{"IPADDRESS", "127.0.0.9"}}, " in LXI Chassis, IP address: 127.0.0.9\n",
         "127.0.0.9", ""},
        {"PXI where there is none", "", {{"PXI", 1}}, " in PXI Chassis...\n", "PXI", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // Only the LAN chassis at the default address exists.
        PanelHarness h(scenario::Chassis().cards(builtinCards()));
        const std::string file = c.commandLine.empty() ? "Tavrin.state" : "Tavrin_" + c.commandLine + ".state";
        h.writeFile(QString::fromStdString(file), stateFile(c.values));
        ASSERT_EQ(h.start(c.commandLine), 0);

        const std::string text =
            report(c.address == "PXI" ? kConnectPxi : kConnectLan, 0x1013, "No chassis answers at this address") +
            c.device;
        EXPECT_EQ(h.messageBox(), " searching cards " + c.connectLine + text + "\nNO MODULES FOUND\n");
        ASSERT_EQ(h.popups.shown.size(), 1u);
        EXPECT_EQ(h.popups.shown[0].title, "ERROR KORDA");
        EXPECT_EQ(h.popups.shown[0].text, text);
        EXPECT_EQ(h.calls(trace::Lookups::Kept), (std::vector<std::string>{callConnect(c.address, 0x1013), callLookup(0x1013)}));
        expectPositions(h, {});
        EXPECT_EQ(h.app.error, 0x1013);
        EXPECT_EQ(h.app.stopSFPdueToFail, 0);
        EXPECT_TRUE(ui::isTimerEnabled(h.panel(), ctrl::TIMER));
        EXPECT_EQ(h.dimmed(ctrl::IPADDRESS), c.address == "PXI");
    }
}

TEST(Discovery, ALostConnectionClearsTheFoundPositionsAndStopsThePoll)
{
    const std::string lost = "Connection to the chassis lost";
    struct Case {
        std::string name;
        scenario::Fault fault;
        std::string lines; // after the LXI line
        std::vector<int32_t> flags;
        std::vector<std::string> calls; // the trace up to and including the lost connection's lookup
    };
    std::string cards12;
    for (int k = 1; k <= 2; ++k)
        cards12 += "\nCard" + std::to_string(k) + " S/N 30000" + std::to_string(k) + " found";
    const Case cases[] = {
        {"at the connection",
         {"VESTRA_Connect", 4112},
         report(kConnectLan, 4112, lost) + "\nNO MODULES FOUND\n",
         {0, 0, 0, 0, 0, 0, 0},
         {callConnect(kDefaultAddress, 4112), callLookup(4112)}},
        {"at the count",
         {"KORDA_CountFreeCards", 4112},
         report(kCount, 4112, lost) + "\nNO MODULES FOUND\n",
         {0, 0, 0, 0, 0, 0, 0},
         {callConnect(kDefaultAddress), callCount(4112), callLookup(4112), callFind(0)}},
        {"at a card's identity: the cards after it still take their positions",
         {"KORDA_CardId", 4112, "300003"},
         cards12 + report(kFirstIdentity, 4112, lost) +
             "\nCard4 S/N 300004 found\nCard5 S/N 300005 found\nCard6 S/N 300006 found\nCard7 S/N 300007 found"
             "\n...OK!\n",
         {0, 0, 0, 1, 1, 1, 1},
         {callConnect(kDefaultAddress), callCount(), callFind(8), callOpen(1, 2), callId(1), callId(1), callOpen(1, 3),
          callId(2), callId(2), callOpen(1, 4), callId(3, 4112), callLookup(4112), callClose(3)}},
        {"at the last card's second identity read",
         {.call = "KORDA_CardId", .status = 4112, .serial = "300007", .nth = 2},
         "\nCard1 S/N 300001 found\nCard2 S/N 300002 found\nCard3 S/N 300003 found\nCard4 S/N 300004 found"
         "\nCard5 S/N 300005 found\nCard6 S/N 300006 found\nCard7 S/N 300007 found" +
             report(kSecondIdentity, 4112, lost) + "\nNO MODULES FOUND\n",
         {0, 0, 0, 0, 0, 0, 0},
         {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PanelHarness h(scenario::Chassis().cards(builtinCards()).fault(c.fault));
        ASSERT_EQ(h.start(), 0);

        EXPECT_EQ(h.messageBox(), kLxiLine + c.lines);
        ASSERT_EQ(h.popups.shown.size(), 1u);
        const std::string text = c.lines.substr(c.lines.find("<ERROR"));
        EXPECT_EQ(h.popups.shown[0].text, text.substr(0, text.find(">\n") + 2) + reports::kRelaunch);
        EXPECT_EQ(h.foundFlags(), c.flags);
        EXPECT_EQ(h.app.stopSFPdueToFail, 1);
        EXPECT_FALSE(ui::isTimerEnabled(h.panel(), ctrl::TIMER));
        const std::vector<std::string> calls = h.calls(trace::Lookups::Kept);
        if (!c.calls.empty()) {
            ASSERT_GE(calls.size(), c.calls.size());
            EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + c.calls.size()), c.calls);
        }

        // The event loop starts with the poll off; nothing reaches a card.
        h.clearTrace();
        h.enterEventLoop();
        h.tick();
        h.stepUp(ctrl::CURRENT_SINK_CH_25);
        EXPECT_TRUE(h.trace().empty());
    }
}

TEST(Discovery, ACardThatCannotBeOpenedOrIdentifiedTakesNoPosition)
{
    const std::string eight = reports::unknownStatus(8);
    std::string cards12;
    for (int k = 1; k <= 2; ++k)
        cards12 += "\nCard" + std::to_string(k) + " S/N 30000" + std::to_string(k) + " found";
    const std::string cards4to7 =
        "\nCard4 S/N 300004 found\nCard5 S/N 300005 found\nCard6 S/N 300006 found\nCard7 S/N 300007 found\n...OK!\n";
    struct Case {
        std::string name;
        scenario::Fault fault;
        std::string lines;
        std::vector<std::string> callsOfCard3; // from its open to the next card's open
        bool position3;
    };
    const Case cases[] = {
        // Not read or closed with the card number of the card before.
        {"the open fails",
         {"KORDA_OpenSpecifiedCard", 8, "300003"},
         cards12 + report(kOpen, 8, eight) + cards4to7,
         {callOpen(1, 4, 8), callLookup(8)},
         false},
        // Not matched with the identity of the card before (300002).
        {"the identity read fails",
         {"KORDA_CardId", 8, "300003"},
         cards12 + report(kFirstIdentity, 8, eight) + cards4to7,
         {callOpen(1, 4), callId(3, 8), callLookup(8), callClose(3)},
         false},
        // The first read decided; the display keeps its text.
        {"the second identity read fails",
         {.call = "KORDA_CardId", .status = 8, .serial = "300003", .nth = 2},
         cards12 + "\nCard3 S/N 300003 found" + report(kSecondIdentity, 8, eight) + cards4to7,
         {callOpen(1, 4), callId(3), callId(3, 8), callLookup(8)},
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PanelHarness h(scenario::Chassis().cards(builtinCards()).fault(c.fault));
        ASSERT_EQ(h.start(), 0);

        EXPECT_EQ(h.messageBox(), kLxiLine + c.lines);
        EXPECT_EQ(h.popups.shown.size(), 1u);
        std::map<int, std::string> identities;
        for (int k = 1; k <= 7; ++k)
            if (k != 3 || c.position3)
                identities[k] = builtIdentity("30000" + std::to_string(k));
        expectPositions(h, identities);
        EXPECT_EQ(h.app.card(2).Card, 2) << "position 2 keeps its own card";
        EXPECT_EQ(isOpen("300003"), c.position3);
        EXPECT_EQ(isOpen("300002"), true);

        const std::vector<std::string> calls = h.calls(trace::Lookups::Kept);
        const auto from = std::find(calls.begin(), calls.end(), c.callsOfCard3.front());
        const auto to = std::find(calls.begin(), calls.end(), callOpen(1, 5));
        ASSERT_TRUE(from < to && to != calls.end());
        EXPECT_EQ(std::vector<std::string>(from, to), c.callsOfCard3);
        EXPECT_EQ(h.app.stopSFPdueToFail, 0);
    }
}

TEST(Discovery, OnlyTheFirstTenFreeCardsAreExamined)
{
    // Ten cards before the one for position 7: six wanted, four of another model.
    std::vector<Card> cards;
    for (int i = 1; i <= 6; ++i)
        cards.push_back({1, 1 + i, "30000" + std::to_string(i)});
    for (int i = 1; i <= 4; ++i)
        cards.push_back({2, 1 + i, "40010" + std::to_string(i), kOtherModel});
    const std::string six = "\nCard1 S/N 300001 found\nCard2 S/N 300002 found\nCard3 S/N 300003 found"
                            "\nCard4 S/N 300004 found\nCard5 S/N 300005 found\nCard6 S/N 300006 found";
    struct Case {
        std::vector<Card> cards;
        std::string lines;
        int examined;
    };
    std::vector<Card> eleven = cards;
    eleven.push_back({3, 2, "300007"});
    std::vector<Card> twelve = eleven;
    twelve.push_back({3, 3, "400199", kOtherModel});
    const Case cases[] = {
        {cards, six + "\n...OK!\n", 10},
        {eleven, "\n11 free cards reported, only the first 10 are examined" + six + "\n...OK!\n", 10},
        {twelve, "\n12 free cards reported, only the first 10 are examined" + six + "\n...OK!\n", 10},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.cards.size());
        PanelHarness h(scenario::Chassis().cards(c.cards));
        ASSERT_EQ(h.start(), 0);
        EXPECT_EQ(h.messageBox(), kLxiLine + c.lines);
        EXPECT_TRUE(h.popups.shown.empty());
        ASSERT_EQ(h.trace("KORDA_FindFreeCards").size(), 1u);
        EXPECT_EQ(h.trace("KORDA_FindFreeCards")[0].value("count").toInt(), c.examined);
        EXPECT_EQ(h.trace("KORDA_OpenSpecifiedCard").size(), static_cast<std::size_t>(c.examined));
        EXPECT_EQ(h.app.card(7).cardFound, 0);
        if (c.cards.size() > 10) {
            EXPECT_FALSE(isOpen("300007"));
        }
    }
}

// The panel is on the screen while discovery runs: when the second card's
// failure stops discovery with a popup, the screen already shows position 1
// as its repaint left it (identity text and all), and the progress lines.
TEST(Discovery, ProgressIsOnTheScreenWhileDiscoveryRuns)
{
    PanelHarness h(scenario::Chassis::at({1, 2}).fault({.call = "KORDA_OpenSpecifiedCard", .status = 8, .serial = "300002"}));
    QImage identityOnScreen, identityDrawn, boxOnScreen;
    bool grabbed = false;
    h.popups.whileOpen = [&](const ShownPopup &) {
        if (grabbed)
            return;
        grabbed = true;
        QWidget *identity = h.widget(ctrl::MODULE_1);
        identityOnScreen = onScreen(identity).convertToFormat(QImage::Format_RGB32);
        identityDrawn = identity->grab().toImage().convertToFormat(QImage::Format_RGB32);
        boxOnScreen = onScreen(h.widget(ctrl::MSGBOX)).convertToFormat(QImage::Format_RGB32);
    };
    ASSERT_EQ(h.start(), 0);
    ASSERT_TRUE(grabbed) << "the popup came";
    ASSERT_FALSE(identityOnScreen.isNull()) << "the window was painted";
    EXPECT_NE(h.text(ctrl::MODULE_1), "");
    EXPECT_EQ(identityOnScreen, identityDrawn) << "position 1's repaint reached the screen";
    std::set<QRgb> colours;
    for (int y = 0; y < boxOnScreen.height(); ++y)
        for (int x = 0; x < boxOnScreen.width(); ++x)
            colours.insert(boxOnScreen.pixel(x, y));
    EXPECT_GT(colours.size(), 10u) << "text in the message box on the screen";
}
