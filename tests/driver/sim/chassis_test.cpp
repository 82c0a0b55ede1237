// Cards of the built-in chassis: discovery, open/close, setpoints, refusals.
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "driver/sim/status.h"
#include "sim_fixture.h"

namespace {

using namespace korda_sim;

class SimChassis : public SimFixture {};

TEST_F(SimChassis, BuiltinChassisHoldsSevenSimulatorsAndOneOtherCardInBusSlotOrder)
{
    const std::vector<std::string> serials = {"300001", "300002", "300003", "400101",
                                              "300004", "300005", "300006", "300007"};
    const std::vector<uint32_t> buses = {1, 1, 1, 1, 2, 2, 2, 2};
    const std::vector<uint32_t> slots = {2, 3, 4, 5, 2, 3, 4, 5};
    for (const char *address : {kPxiAddress, kDefaultLanAddress}) {
        SCOPED_TRACE(address);
        const KordaSession session = connect(address);
        uint32_t count = 0;
        ASSERT_EQ(KORDA_CountFreeCards(session, &count), KORDA_STATUS_OK);
        ASSERT_EQ(count, 8u);
        std::vector<uint32_t> b(count), s(count);
        ASSERT_EQ(KORDA_FindFreeCards(session, count, b.data(), s.data()), KORDA_STATUS_OK);
        EXPECT_EQ(b, buses);
        EXPECT_EQ(s, slots);
        for (size_t i = 0; i < count; ++i) {
            const std::string id = cardId(session, open(session, b[i], s[i]));
            EXPECT_LE(id.size(), 99u);
            EXPECT_NE(id.find(serials[i]), std::string::npos) << id;
            EXPECT_EQ(id.find(kBatteryModel) != std::string::npos, serials[i] != "400101") << id;
            for (const std::string &other : serials)
                EXPECT_TRUE(other == serials[i] || id.find(other) == std::string::npos) << id;
        }
        EXPECT_EQ(cardId(session, 1), "58-214-003 Battery Simulator 6ch, S/N 300001, FW 2.01");
    }
}

TEST_F(SimChassis, ConnectRefusesOtherAddressesAndNullPointers)
{
    struct Case {
        const char *address;
        bool withSession;
        KordaStatus expected;
    };
    for (const Case &c : std::vector<Case>{{"192.168.100.11", true, kNoChassisAtAddress},
                                           {"pxi", true, kNoChassisAtAddress},
                                           {"", true, kNoChassisAtAddress},
                                           {nullptr, true, kNullPointer},
                                           {kPxiAddress, false, kNullPointer}}) {
        KordaSession session = -7;
        EXPECT_EQ(VESTRA_Connect(0, c.address, 1024, 1000, c.withSession ? &session : nullptr), c.expected)
            << (c.address ? c.address : "(null)");
        EXPECT_EQ(session, -7);
    }
    EXPECT_EQ(message(kNoChassisAtAddress), "No chassis answers at this address");
}

TEST_F(SimChassis, SessionsShareTheirChassisCardsAndNumbersAreNeverReused)
{
    const KordaSession a = connect(), b = connect(), lan = connect(kDefaultLanAddress);
    EXPECT_EQ(open(a, 1, 2), 1);
    EXPECT_EQ(open(a, 1, 3), 2);
    uint32_t count = 0;
    using Expected = std::pair<KordaSession, uint32_t>;
    for (auto [session, expected] : {Expected{a, 6}, Expected{b, 6}, Expected{lan, 8}}) {
        ASSERT_EQ(KORDA_CountFreeCards(session, &count), KORDA_STATUS_OK);
        EXPECT_EQ(count, expected);
    }
    KordaCard card = -1;
    EXPECT_EQ(KORDA_OpenSpecifiedCard(b, 1, 2, &card), kCardAlreadyOpen);
    EXPECT_EQ(KORDA_OpenSpecifiedCard(a, 9, 9, &card), kNoCardAtBusSlot);
    EXPECT_EQ(card, -1);
    EXPECT_EQ(KORDA_ClearCard(b, 1), kCardNotOpen); // a's number means nothing in b
    EXPECT_EQ(open(lan, 1, 2), 1);                  // the LAN chassis has its own cards

    EXPECT_EQ(KORDA_CloseSpecifiedCard(a, 1), KORDA_STATUS_OK);
    EXPECT_FALSE(cardState("300001", kPxiAddress)->open);
    EXPECT_EQ(KORDA_CloseSpecifiedCard(a, 1), kCardNotOpen);
    EXPECT_EQ(KORDA_BattSetVoltage(a, 1, 1, 1.0), kCardNotOpen);
    EXPECT_EQ(open(b, 1, 2), 1);
    EXPECT_EQ(open(a, 1, 4), 3);
    EXPECT_EQ(KORDA_ClearCard(a, 1), kCardNotOpen);
}

TEST_F(SimChassis, FindFreeCardsWritesExactlyTheRequestedEntries)
{
    const KordaSession session = connect();
    open(session, 1, 3);
    open(session, 2, 2);
    std::vector<uint32_t> buses(12, 99), slots(12, 99);
    ASSERT_EQ(KORDA_FindFreeCards(session, 10, buses.data(), slots.data()), KORDA_STATUS_OK);
    EXPECT_EQ(buses, (std::vector<uint32_t>{1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 99, 99}));
    EXPECT_EQ(slots, (std::vector<uint32_t>{2, 4, 5, 3, 4, 5, 0, 0, 0, 0, 99, 99}));
    std::fill(buses.begin(), buses.end(), 99);
    ASSERT_EQ(KORDA_FindFreeCards(session, 2, buses.data(), slots.data()), KORDA_STATUS_OK);
    EXPECT_EQ(buses[1], 1u);
    EXPECT_EQ(buses[2], 99u);
    KordaCard card = 0;
    EXPECT_EQ(KORDA_OpenSpecifiedCard(session, 0, 0, &card), kNoCardAtBusSlot);
}

TEST_F(SimChassis, ReadBackReturnsWhatWasSetOnThatSubUnitOnly)
{
    const KordaSession session = connect();
    const KordaCard card = open(session, 1, 3);
    for (int32_t sub = 1; sub <= kSubUnits; ++sub) {
        ASSERT_EQ(KORDA_BattSetVoltage(session, card, sub, sub == 6 ? kMaxVolts : 0.1 * sub + 0.2), 0);
        ASSERT_EQ(KORDA_BattSetCurrent(session, card, sub, sub == 6 ? kMaxAmps : 0.013 * sub), 0);
        ASSERT_EQ(KORDA_BattSetEnable(session, card, sub, sub % 2 ? 5 : 0), 0);
    }
    const CardState state = *cardState("300002", kPxiAddress);
    for (int32_t sub = 1; sub <= kSubUnits; ++sub) {
        double volts = -1, amps = -1;
        int32_t enable = -1;
        ASSERT_EQ(KORDA_BattGetVoltage(session, card, sub, &volts), 0);
        ASSERT_EQ(KORDA_BattGetCurrent(session, card, sub, &amps), 0);
        ASSERT_EQ(KORDA_BattGetEnable(session, card, sub, &enable), 0);
        EXPECT_EQ(volts, sub == 6 ? kMaxVolts : 0.1 * sub + 0.2);
        EXPECT_EQ(amps, sub == 6 ? kMaxAmps : 0.013 * sub);
        EXPECT_EQ(enable, sub % 2 ? 1 : 0);
        EXPECT_EQ(state.subs[sub - 1].volts, volts);
    }
    EXPECT_EQ(cardState("300001", kPxiAddress)->subs[0].volts, 0.0);
    EXPECT_EQ(cardState("300002", kDefaultLanAddress)->subs[0].volts, 0.0);
    EXPECT_FALSE(cardState("300002").has_value()); // the serial is on both chassis
}

TEST_F(SimChassis, OutOfRangeSetpointsAreRefusedAndChangeNothing)
{
    const KordaSession session = connect();
    const KordaCard card = open(session, 1, 2);
    ASSERT_EQ(KORDA_BattSetVoltage(session, card, 2, 3.5), 0);
    ASSERT_EQ(KORDA_BattSetCurrent(session, card, 2, 0.05), 0);
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (double volts : {-0.001, 7.000001, nan, inf, -inf})
        EXPECT_EQ(KORDA_BattSetVoltage(session, card, 2, volts), kValueOutOfRange) << volts;
    for (double amps : {-1e-9, 0.1000001, 1.0, nan})
        EXPECT_EQ(KORDA_BattSetCurrent(session, card, 2, amps), kValueOutOfRange) << amps;
    const SubUnit unit = cardState("300001", kPxiAddress)->subs[1];
    EXPECT_EQ(unit.volts, 3.5);
    EXPECT_EQ(unit.amps, 0.05);
}

TEST_F(SimChassis, ClearCardZeroesEverySubUnitOfThatCardOnly)
{
    const KordaSession session = connect();
    const KordaCard a = open(session, 1, 2), b = open(session, 1, 3);
    for (KordaCard card : {a, b})
        for (int32_t sub = 1; sub <= kSubUnits; ++sub) {
            KORDA_BattSetVoltage(session, card, sub, 5.0);
            KORDA_BattSetCurrent(session, card, sub, 0.08);
            KORDA_BattSetEnable(session, card, sub, 1);
        }
    ASSERT_EQ(KORDA_ClearCard(session, a), 0);
    const CardState cleared = *cardState("300001", kPxiAddress);
    for (const SubUnit &unit : cleared.subs) {
        EXPECT_EQ(unit.volts, 0.0);
        EXPECT_EQ(unit.amps, 0.0);
        EXPECT_EQ(unit.enable, 0);
    }
    EXPECT_EQ(cardState("300002", kPxiAddress)->subs[5].enable, 1);
}

TEST_F(SimChassis, CallsWithBadArgumentsFailAndChangeNothing)
{
    const KordaSession s = connect();
    const KordaCard c = open(s, 1, 2);
    const KordaCard closed = open(s, 1, 3);
    KORDA_CloseSpecifiedCard(s, closed);
    double d = 0;
    int32_t i = 0;
    uint32_t u[2] = {};
    char text[8];
    struct Case {
        const char *what;
        KordaStatus expected;
        std::function<KordaStatus()> call;
    };
    const std::vector<Case> cases = {
        {"count, session 0", kBadSession, [&] { return KORDA_CountFreeCards(0, u); }},
        {"find, session 99", kBadSession, [&] { return KORDA_FindFreeCards(99, 1, u, u + 1); }},
        {"open, session -1", kBadSession, [&] { return KORDA_OpenSpecifiedCard(-1, 1, 4, &i); }},
        {"set volts, session 2", kBadSession, [&] { return KORDA_BattSetVoltage(2, c, 1, 1.0); }},
        {"card id, card 0", kCardNotOpen, [&] { return KORDA_CardId(s, 0, text, 8); }},
        {"set amps, card 99", kCardNotOpen, [&] { return KORDA_BattSetCurrent(s, 99, 1, 0.01); }},
        {"set enable, closed card", kCardNotOpen, [&] { return KORDA_BattSetEnable(s, closed, 1, 1); }},
        {"interlock, closed card", kCardNotOpen, [&] { return KORDA_BattReadInterlockState(s, closed, 1, &i); }},
        {"close, card -3", kCardNotOpen, [&] { return KORDA_CloseSpecifiedCard(s, -3); }},
        {"set volts, sub 0", kSubUnitOutOfRange, [&] { return KORDA_BattSetVoltage(s, c, 0, 1.0); }},
        {"set amps, sub 7", kSubUnitOutOfRange, [&] { return KORDA_BattSetCurrent(s, c, 7, 0.01); }},
        {"set enable, sub -1", kSubUnitOutOfRange, [&] { return KORDA_BattSetEnable(s, c, -1, 1); }},
        {"get volts, sub 7", kSubUnitOutOfRange, [&] { return KORDA_BattGetVoltage(s, c, 7, &d); }},
        {"interlock, sub 0", kSubUnitOutOfRange, [&] { return KORDA_BattReadInterlockState(s, c, 0, &i); }},
        {"count, null", kNullPointer, [&] { return KORDA_CountFreeCards(s, nullptr); }},
        {"find, null buses", kNullPointer, [&] { return KORDA_FindFreeCards(s, 1, nullptr, u); }},
        {"find, null slots", kNullPointer, [&] { return KORDA_FindFreeCards(s, 1, u, nullptr); }},
        {"open, null", kNullPointer, [&] { return KORDA_OpenSpecifiedCard(s, 1, 4, nullptr); }},
        {"get volts, null", kNullPointer, [&] { return KORDA_BattGetVoltage(s, c, 1, nullptr); }},
        {"get amps, null", kNullPointer, [&] { return KORDA_BattGetCurrent(s, c, 1, nullptr); }},
        {"get enable, null", kNullPointer, [&] { return KORDA_BattGetEnable(s, c, 1, nullptr); }},
        {"interlock, null", kNullPointer, [&] { return KORDA_BattReadInterlockState(s, c, 1, nullptr); }},
    };
    for (const Case &k : cases)
        EXPECT_EQ(k.call(), k.expected) << k.what;
    const CardState state = *cardState("300001", kPxiAddress);
    EXPECT_EQ(state.interlockReads, 0u);
    EXPECT_EQ(state.subs[0].volts, 0.0);
    EXPECT_FALSE(cardState("300003", kPxiAddress)->open);
    uint32_t count = 0;
    ASSERT_EQ(KORDA_CountFreeCards(s, &count), 0);
    EXPECT_EQ(count, 7u);
}

TEST_F(SimChassis, TextsAreCutToTheBufferSizeExactly)
{
    const KordaSession s = connect();
    const KordaCard c = open(s, 1, 2);
    const std::string id = "58-214-003 Battery Simulator 6ch, S/N 300001, FW 2.01";
    const std::string msg = "Connection to the chassis lost";
    using Get = std::function<KordaStatus(char *, int32_t)>;
    const std::vector<std::pair<std::string, Get>> texts = {
        {id, [&](char *t, int32_t n) { return KORDA_CardId(s, c, t, n); }},
        {msg, [](char *t, int32_t n) { return KORDA_ErrorCodeToMessage(KORDA_STATUS_CONNECTION_LOST, t, n); }},
    };
    for (const auto &[full, get] : texts) {
        for (int32_t size : {1, 2, 10, static_cast<int32_t>(full.size()), static_cast<int32_t>(full.size() + 1), 100}) {
            std::string buffer(128, '#');
            ASSERT_EQ(get(buffer.data(), size), KORDA_STATUS_OK);
            const size_t n = std::min(full.size(), static_cast<size_t>(size) - 1);
            EXPECT_EQ(buffer.substr(0, n + 1), full.substr(0, n) + '\0') << size;
            EXPECT_EQ(buffer.find_first_not_of('#', n + 1), std::string::npos) << "wrote past the text";
        }
        std::string buffer(8, '#');
        EXPECT_EQ(get(buffer.data(), 0), kBadBufferSize);
        EXPECT_EQ(get(buffer.data(), -5), kBadBufferSize);
        EXPECT_EQ(get(nullptr, 100), kNullPointer);
        EXPECT_EQ(buffer, std::string(8, '#'));
    }
}

TEST_F(SimChassis, EveryStatusHasItsOwnDescription)
{
    std::vector<std::string> seen;
    for (KordaStatus status : {0, 34, 0x1010, 0x1013, 0x2001, 0x2002, 0x2003, 0x2004, 0x2005, 0x2006, 0x2007, 0x2008,
                               0x2009}) {
        const std::string text = message(status);
        EXPECT_EQ(text.find("Unknown"), std::string::npos) << status;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), text), 0) << text;
        seen.push_back(text);
    }
    EXPECT_EQ(message(34), "Interlock state cannot be read: the card is not responding");
    EXPECT_EQ(message(0x1234), "Unknown status 0x1234");
    EXPECT_EQ(message(-1), "Unknown status 0xffffffff");
}

} // namespace
