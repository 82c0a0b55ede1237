// Card discovery at start-up, on simulated chassis described by scenarios:
// which card takes which position, what the cards are told and in what order,
// what the operator reads, and how failures end it.
#include "channels/channel_map.h"
#include "driver/sim/korda_sim.h"
#include "panel/panel_definition.h"
#include "panel/ui.h"
#include "support/card_scenarios.h"
#include "support/panel_harness.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using card_scenarios::stateFile;

const char kModel[] = "58-214-003";
const char kOtherModel[] = "58-110-101";
const char kAddress[] = "192.168.100.10"; // the panel's default
const char kLxiLine[] = " searching cards  in LXI Chassis, IP address: 192.168.100.10\n";
const char kRelaunch[] = "\nSFP should be terminated and re-launched with a valid chassis connection...";

struct SimCard {
    SimCard(int b, int s, std::string sn, std::string m = kModel, std::optional<std::string> id = std::nullopt)
        : bus(b), slot(s), serial(std::move(sn)), model(std::move(m)), identity(std::move(id))
    {
    }
    int bus;
    int slot;
    std::string serial;
    std::string model;
    std::optional<std::string> identity; // else built from model and serial
};

std::string builtIdentity(const std::string &serial)
{
    return std::string(kModel) + " Battery Simulator 6ch, S/N " + serial + ", FW 2.01";
}

// One chassis at `address` holding `cards`; `extra` adds top-level keys.
std::string scenario(const std::vector<SimCard> &cards, const QJsonObject &extra = {},
                     const std::string &address = kAddress)
{
    QJsonArray list;
    for (const SimCard &c : cards) {
        QJsonObject card{{"bus", c.bus},
                         {"slot", c.slot},
                         {"serial", QString::fromStdString(c.serial)},
                         {"model", QString::fromStdString(c.model)}};
        if (c.identity)
            card["identity"] = QString::fromStdString(*c.identity);
        list.append(card);
    }
    QJsonObject root = extra;
    root["chassis"] = QJsonArray{QJsonObject{{"address", QString::fromStdString(address)}, {"cards", list}}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact).toStdString();
}

// The built-in chassis' cards, in bus/slot order.
std::vector<SimCard> builtinCards()
{
    return {{1, 2, "300001"}, {1, 3, "300002"}, {1, 4, "300003"}, {1, 5, "400101", kOtherModel},
            {2, 2, "300004"}, {2, 3, "300005"}, {2, 4, "300006"}, {2, 5, "300007"}};
}

QString snName(int k) { return QString("SN_%1").arg(k); }
int moduleOf(int k) { return channel_map::positionControls(k).module; }
int availableOf(int k) { return channel_map::positionControls(k).available; }

// One traced call as text: its name, its inputs in name order, its status.
std::string callText(const QJsonObject &call)
{
    std::string text = call.value("call").toString().toStdString();
    for (auto it = call.begin(); it != call.end(); ++it) {
        if (it.key() == "call" || it.key() == "status" || it.key() == "out")
            continue;
        const QJsonValue v = it.value();
        text += " " + it.key().toStdString() + "=";
        text += v.isString() ? v.toString().toStdString() : std::to_string(v.toInteger());
    }
    text += " -> ";
    text += std::to_string(call.value("status").toInt());
    return text;
}

std::vector<std::string> callTexts(const PanelHarness &h)
{
    std::vector<std::string> texts;
    for (const QJsonObject &call : h.trace())
        texts.push_back(callText(call));
    return texts;
}

std::string callConnect(const std::string &address, int status = 0)
{
    return "VESTRA_Connect address=" + address + " flags=0 port=1024 timeout_ms=1000 -> " + std::to_string(status);
}
std::string callCount(int status = 0) { return "KORDA_CountFreeCards session=1 -> " + std::to_string(status); }
std::string callFind(int n) { return "KORDA_FindFreeCards count=" + std::to_string(n) + " session=1 -> 0"; }
std::string callOpen(int bus, int slot, int status = 0)
{
    return "KORDA_OpenSpecifiedCard bus=" + std::to_string(bus) + " session=1 slot=" + std::to_string(slot) +
           " -> " + std::to_string(status);
}
std::string callId(int card, int status = 0)
{
    return "KORDA_CardId card=" + std::to_string(card) + " session=1 size=100 -> " + std::to_string(status);
}
std::string callClose(int card) { return "KORDA_CloseSpecifiedCard card=" + std::to_string(card) + " session=1 -> 0"; }
std::string callLookup(int status)
{
    return "KORDA_ErrorCodeToMessage size=200 status_in=" + std::to_string(status) + " -> 0";
}

// The line of our own source that holds `needle`, once; the report names it.
int sourceLine(const std::string &file, const std::string &needle)
{
    std::ifstream in(std::string(TAVR_SOURCE_DIR) + "/" + file);
    std::string line;
    int found = 0;
    for (int n = 1; std::getline(in, line); ++n) {
        if (line.find(needle) == std::string::npos)
            continue;
        EXPECT_EQ(found, 0) << needle << " occurs twice in " << file;
        found = n;
    }
    EXPECT_GT(found, 0) << needle << " not in " << file;
    return found;
}

std::string report(const std::string &needle, int status, const std::string &description)
{
    char hex[16];
    std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(status));
    return "<ERROR 0x" + std::string(hex) + " in line " + std::to_string(sourceLine("src/app/discovery.cpp", needle)) +
           " = " + description + ">\n";
}

const char kConnectLan[] = "VESTRA_Connect(0, charVal";
const char kConnectPxi[] = "VESTRA_Connect(0, \"PXI\"";
const char kFirstIdentity[] = "KORDA_CardId(app.sessionID, CardNum, CardID, kIdLimit)) != 0";
const char kSecondIdentity[] = "KORDA_CHECK(app, KORDA_CardId(app.sessionID, CardNum, CardID, kIdLimit));";
const char kOpen[] = "KORDA_OpenSpecifiedCard(";
const char kCount[] = "KORDA_CountFreeCards(";

std::vector<int32_t> foundFlags(const AppState &app)
{
    std::vector<int32_t> flags;
    for (int k = 1; k <= kCardPositions; ++k)
        flags.push_back(app.card(k).cardFound);
    return flags;
}

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

bool isOpen(const std::string &serial) { return korda_sim::cardState(serial, kAddress).value().open; }

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
            callConnect(pxi ? "PXI" : kAddress), callCount(), callFind(8),
            callOpen(1, 2), callId(1), callId(1),
            callOpen(1, 3), callId(2), callId(2),
            callOpen(1, 4), callId(3), callId(3),
            callOpen(1, 5), callId(4), callClose(4),
            callOpen(2, 2), callId(5), callId(5),
            callOpen(2, 3), callId(6), callId(6),
            callOpen(2, 4), callId(7), callId(7),
            callOpen(2, 5), callId(8), callId(8)};
        EXPECT_EQ(callTexts(h), calls);

        std::map<int, std::string> identities;
        for (int k = 1; k <= 7; ++k)
            identities[k] = builtIdentity("30000" + std::to_string(k));
        expectPositions(h, identities);
        const KordaCard numbers[] = {1, 2, 3, 5, 6, 7, 8};
        for (int k = 1; k <= 7; ++k)
            EXPECT_EQ(h.app.card(k).Card, numbers[k - 1]);
        EXPECT_EQ(h.app.card(3).SN, "300003");
        EXPECT_FALSE(korda_sim::cardState("400101", pxi ? "PXI" : kAddress).value().open);
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
        std::vector<SimCard> cards;
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
         {callConnect(kAddress), callCount(), callFind(3), callOpen(1, 2), callId(1), callClose(1), callOpen(1, 3),
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
         {callConnect(kAddress), callCount(), callFind(2), callOpen(1, 2), callId(1), callId(1), callOpen(1, 3),
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
         {callConnect(kAddress), callCount(), callFind(0)}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PanelHarness h(scenario(c.cards));
        QJsonObject values;
        for (const auto &[k, serial] : c.serials)
            values[snName(k)] = QString::fromStdString(serial);
        h.writeFile("Tavrin.state", stateFile(values));
        ASSERT_EQ(h.start(), 0);

        EXPECT_EQ(h.messageBox(), kLxiLine + c.lines);
        EXPECT_TRUE(h.popups.shown.empty());
        expectPositions(h, c.positions);
        for (const SimCard &card : c.cards)
            EXPECT_EQ(isOpen(card.serial), c.open.count(card.serial) == 1) << card.serial;
        if (!c.calls.empty()) {
            EXPECT_EQ(callTexts(h), c.calls);
        }
        // Each found position drives the card whose identity it shows.
        for (const auto &[k, identity] : c.positions)
            for (const SimCard &card : c.cards)
                if (card.identity.value_or(builtIdentity(card.serial)) == identity) {
                    EXPECT_EQ(h.app.card(k).Card, korda_sim::cardState(card.serial, kAddress).value().number);
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
        PanelHarness h(scenario(builtinCards()));
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
        EXPECT_EQ(callTexts(h), (std::vector<std::string>{callConnect(c.address, 0x1013), callLookup(0x1013)}));
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
        QJsonObject fault;
        std::string lines; // after the LXI line
        std::vector<int32_t> flags;
        std::vector<std::string> calls; // the trace up to and including the lost connection's lookup
    };
    std::string cards12;
    for (int k = 1; k <= 2; ++k)
        cards12 += "\nCard" + std::to_string(k) + " S/N 30000" + std::to_string(k) + " found";
    const Case cases[] = {
        {"at the connection",
         {{"call", "VESTRA_Connect"}, {"status", 4112}},
         report(kConnectLan, 4112, lost) + "\nNO MODULES FOUND\n",
         {0, 0, 0, 0, 0, 0, 0},
         {callConnect(kAddress, 4112), callLookup(4112)}},
        {"at the count",
         {{"call", "KORDA_CountFreeCards"}, {"status", 4112}},
         report(kCount, 4112, lost) + "\nNO MODULES FOUND\n",
         {0, 0, 0, 0, 0, 0, 0},
         {callConnect(kAddress), callCount(4112), callLookup(4112), callFind(0)}},
        {"at a card's identity: the cards after it still take their positions",
         {{"call", "KORDA_CardId"}, {"serial", "300003"}, {"status", 4112}},
         cards12 + report(kFirstIdentity, 4112, lost) +
             "\nCard4 S/N 300004 found\nCard5 S/N 300005 found\nCard6 S/N 300006 found\nCard7 S/N 300007 found"
             "\n...OK!\n",
         {0, 0, 0, 1, 1, 1, 1},
         {callConnect(kAddress), callCount(), callFind(8), callOpen(1, 2), callId(1), callId(1), callOpen(1, 3),
          callId(2), callId(2), callOpen(1, 4), callId(3, 4112), callLookup(4112), callClose(3)}},
        {"at the last card's second identity read",
         {{"call", "KORDA_CardId"}, {"serial", "300007"}, {"nth", 2}, {"status", 4112}},
         "\nCard1 S/N 300001 found\nCard2 S/N 300002 found\nCard3 S/N 300003 found\nCard4 S/N 300004 found"
         "\nCard5 S/N 300005 found\nCard6 S/N 300006 found\nCard7 S/N 300007 found" +
             report(kSecondIdentity, 4112, lost) + "\nNO MODULES FOUND\n",
         {0, 0, 0, 0, 0, 0, 0},
         {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PanelHarness h(scenario(builtinCards(), {{"faults", QJsonArray{c.fault}}}));
        ASSERT_EQ(h.start(), 0);

        EXPECT_EQ(h.messageBox(), kLxiLine + c.lines);
        ASSERT_EQ(h.popups.shown.size(), 1u);
        const std::string text = c.lines.substr(c.lines.find("<ERROR"));
        EXPECT_EQ(h.popups.shown[0].text, text.substr(0, text.find(">\n") + 2) + kRelaunch);
        EXPECT_EQ(foundFlags(h.app), c.flags);
        EXPECT_EQ(h.app.stopSFPdueToFail, 1);
        EXPECT_FALSE(ui::isTimerEnabled(h.panel(), ctrl::TIMER));
        const std::vector<std::string> calls = callTexts(h);
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
    const std::string eight = "Unknown status 0x8";
    std::string cards12;
    for (int k = 1; k <= 2; ++k)
        cards12 += "\nCard" + std::to_string(k) + " S/N 30000" + std::to_string(k) + " found";
    const std::string cards4to7 =
        "\nCard4 S/N 300004 found\nCard5 S/N 300005 found\nCard6 S/N 300006 found\nCard7 S/N 300007 found\n...OK!\n";
    struct Case {
        std::string name;
        QJsonObject fault;
        std::string lines;
        std::vector<std::string> callsOfCard3; // from its open to the next card's open
        bool position3;
    };
    const Case cases[] = {
        // Not read or closed with the card number of the card before.
        {"the open fails",
         {{"call", "KORDA_OpenSpecifiedCard"}, {"serial", "300003"}, {"status", 8}},
         cards12 + report(kOpen, 8, eight) + cards4to7,
         {callOpen(1, 4, 8), callLookup(8)},
         false},
        // Not matched with the identity of the card before (300002).
        {"the identity read fails",
         {{"call", "KORDA_CardId"}, {"serial", "300003"}, {"status", 8}},
         cards12 + report(kFirstIdentity, 8, eight) + cards4to7,
         {callOpen(1, 4), callId(3, 8), callLookup(8), callClose(3)},
         false},
        // The first read decided; the display keeps its text.
        {"the second identity read fails",
         {{"call", "KORDA_CardId"}, {"serial", "300003"}, {"nth", 2}, {"status", 8}},
         cards12 + "\nCard3 S/N 300003 found" + report(kSecondIdentity, 8, eight) + cards4to7,
         {callOpen(1, 4), callId(3), callId(3, 8), callLookup(8)},
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PanelHarness h(scenario(builtinCards(), {{"faults", QJsonArray{c.fault}}}));
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

        const std::vector<std::string> calls = callTexts(h);
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
    std::vector<SimCard> cards;
    for (int i = 1; i <= 6; ++i)
        cards.push_back({1, 1 + i, "30000" + std::to_string(i)});
    for (int i = 1; i <= 4; ++i)
        cards.push_back({2, 1 + i, "40010" + std::to_string(i), kOtherModel});
    const std::string six = "\nCard1 S/N 300001 found\nCard2 S/N 300002 found\nCard3 S/N 300003 found"
                            "\nCard4 S/N 300004 found\nCard5 S/N 300005 found\nCard6 S/N 300006 found";
    struct Case {
        std::vector<SimCard> cards;
        std::string lines;
        int examined;
    };
    std::vector<SimCard> eleven = cards;
    eleven.push_back({3, 2, "300007"});
    std::vector<SimCard> twelve = eleven;
    twelve.push_back({3, 3, "400199", kOtherModel});
    const Case cases[] = {
        {cards, six + "\n...OK!\n", 10},
        {eleven, "\n11 free cards reported, only the first 10 are examined" + six + "\n...OK!\n", 10},
        {twelve, "\n12 free cards reported, only the first 10 are examined" + six + "\n...OK!\n", 10},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.cards.size());
        PanelHarness h(scenario(c.cards));
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
