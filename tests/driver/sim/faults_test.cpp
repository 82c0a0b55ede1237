// Injected faults, interlock windows and latency of a scenario.
#include <algorithm>
#include <chrono>
#include <vector>

#include "driver/sim/status.h"
#include "sim_fixture.h"

namespace {

using namespace korda_sim;

class SimFaults : public SimFixture {
protected:
    // Connects to the scenario and opens its three cards as 1, 2, 3.
    void start(const std::string &scenario)
    {
        use(scenario);
        session = connect();
        for (uint32_t slot = 2; slot <= 4; ++slot)
            open(session, 1, slot);
    }
    // Statuses of `n` voltage read-backs of card/sub; a failed one must leave its output alone.
    std::vector<KordaStatus> getVoltages(int n, KordaCard card = 1, int32_t sub = 1)
    {
        std::vector<KordaStatus> statuses;
        for (int i = 0; i < n; ++i) {
            double volts = -1;
            statuses.push_back(KORDA_BattGetVoltage(session, card, sub, &volts));
            EXPECT_EQ(volts == -1.0, statuses.back() != 0);
        }
        return statuses;
    }
    KordaSession session = 0;
};

TEST_F(SimFaults, RuleFailsTheMatchingCallsFromNthForTimes)
{
    struct Case {
        const char *rule;
        std::vector<KordaStatus> expected;
    };
    for (const Case &c : std::vector<Case>{
             {R"({"call": "KORDA_BattGetVoltage", "status": 9})", {9, 0, 0, 0, 0, 0}},
             {R"({"call": "KORDA_BattGetVoltage", "nth": 3, "times": 2, "status": 9})", {0, 0, 9, 9, 0, 0}},
             {R"({"call": "KORDA_BattGetVoltage", "nth": 2, "times": 0, "status": -4})", {0, -4, -4, -4, -4, -4}},
             {R"({"call": "KORDA_BattGetCurrent", "status": 9})", {0, 0, 0, 0, 0, 0}},
         }) {
        SCOPED_TRACE(c.rule);
        start(threeCards().faultText(c.rule));
        EXPECT_EQ(getVoltages(6), c.expected);
    }
}

TEST_F(SimFaults, SerialAndSubFiltersSelectTheCallsThatCount)
{
    start(threeCards().faultText(R"({"call": "KORDA_BattSetVoltage", "serial": "300002", "sub": 2, "times": 0, "status": 8},
                                    {"call": "KORDA_BattGetVoltage", "serial": "300003", "nth": 2, "status": 7})"));
    EXPECT_EQ(KORDA_BattSetVoltage(session, 1, 2, 1.5), 0);
    EXPECT_EQ(KORDA_BattSetVoltage(session, 2, 1, 1.5), 0);
    EXPECT_EQ(KORDA_BattSetVoltage(session, 2, 2, 1.5), 8);
    EXPECT_EQ(KORDA_BattSetVoltage(session, 2, 2, 2.5), 8);
    EXPECT_EQ(KORDA_BattSetVoltage(session, 3, 2, 1.5), 0);
    EXPECT_EQ(cardState("300002")->subs[1].volts, 0.0) << "a failed set changed the card";
    EXPECT_EQ(cardState("300002")->subs[0].volts, 1.5);
    // Calls on other cards do not advance the second rule's count.
    EXPECT_EQ(getVoltages(2, 1), (std::vector<KordaStatus>{0, 0}));
    EXPECT_EQ(getVoltages(1, 3), std::vector<KordaStatus>{0});
    EXPECT_EQ(getVoltages(1, 2), std::vector<KordaStatus>{0});
    EXPECT_EQ(getVoltages(2, 3, 6), (std::vector<KordaStatus>{7, 0}));
}

TEST_F(SimFaults, OpenCallMatchesTheSerialByBusAndSlot)
{
    use(threeCards().fault({"KORDA_OpenSpecifiedCard", 4112, "300002"}));
    session = connect();
    KordaCard card = -1;
    EXPECT_EQ(KORDA_OpenSpecifiedCard(session, 1, 2, &card), 0);
    card = -1;
    EXPECT_EQ(KORDA_OpenSpecifiedCard(session, 1, 3, &card), KORDA_STATUS_CONNECTION_LOST);
    EXPECT_EQ(card, -1);
    EXPECT_FALSE(cardState("300002")->open);
    EXPECT_EQ(KORDA_OpenSpecifiedCard(session, 1, 3, &card), 0);
    EXPECT_EQ(card, 2);
}

TEST_F(SimFaults, StarRuleCountsEveryCallButTheStatusTexts)
{
    use(threeCards().fault({.call = "*", .status = 4112, .nth = 4, .times = 0}));
    session = connect();
    uint32_t count = 0, buses[3], slots[3];
    EXPECT_EQ(KORDA_CountFreeCards(session, &count), 0);
    EXPECT_EQ(message(4112), "Connection to the chassis lost");
    EXPECT_EQ(KORDA_FindFreeCards(session, count, buses, slots), 0);
    KordaCard card = 0;
    EXPECT_EQ(KORDA_OpenSpecifiedCard(session, 1, 2, &card), 4112);
    EXPECT_EQ(KORDA_CountFreeCards(session, &count), 4112);
    EXPECT_EQ(VESTRA_Connect(0, "PXI", 1024, 1000, &session), 4112);
    EXPECT_EQ(message(4112), "Connection to the chassis lost");

    start(threeCards().faultText(R"({"call": "*", "serial": "300001", "sub": 1, "nth": 2, "status": 7})"));
    EXPECT_EQ(KORDA_ClearCard(session, 1), 0); // takes no sub-unit: not matched
    EXPECT_EQ(getVoltages(1, 2), std::vector<KordaStatus>{0});
    EXPECT_EQ(KORDA_BattSetEnable(session, 1, 1, 1), 0);
    EXPECT_EQ(getVoltages(2), (std::vector<KordaStatus>{7, 0}));
}

TEST_F(SimFaults, EarlierRuleWinsWhileEachCountsItsOwnCalls)
{
    start(threeCards().faultText(R"({"call": "KORDA_BattGetVoltage", "nth": 2, "status": 5},
                                    {"call": "KORDA_BattGetVoltage", "times": 3, "status": 6})"));
    EXPECT_EQ(getVoltages(4), (std::vector<KordaStatus>{6, 5, 6, 0}));
}

TEST_F(SimFaults, InterlockIsActiveForExactlyTheWindowReads)
{
    struct Case {
        const char *windows;
        std::vector<int32_t> states; // reads 1..10 of card 300002
    };
    for (const Case &c : std::vector<Case>{
             {R"({"serial": "300002", "from_read": 5, "reads": 3})", {1, 1, 1, 1, 0, 0, 0, 1, 1, 1}},
             {R"({"serial": "300002", "from_read": 9, "reads": 0})", {1, 1, 1, 1, 1, 1, 1, 1, 0, 0}},
             {R"({"serial": "300002"})", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
             {R"({"serial": "300002", "from_read": 2, "reads": 1}, {"serial": "300002", "from_read": 4, "reads": 2})",
              {1, 0, 1, 0, 0, 1, 1, 1, 1, 1}},
             {R"({"serial": "300001", "from_read": 1, "reads": 0})", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
         }) {
        SCOPED_TRACE(c.windows);
        start(threeCards().interlockText(c.windows));
        std::vector<int32_t> states;
        for (int read = 1; read <= 10; ++read) {
            int32_t state = -1;
            EXPECT_EQ(KORDA_BattReadInterlockState(session, 2, 1, &state), 0);
            states.push_back(state);
        }
        EXPECT_EQ(states, c.states);
        EXPECT_EQ(cardState("300002")->interlockReads, 10u);
        EXPECT_EQ(cardState("300001")->interlockReads, 0u);
    }
}

TEST_F(SimFaults, FailedInterlockReadsAreNotCounted)
{
    start(threeCards()
              .fault({.call = "KORDA_BattReadInterlockState", .status = 34, .nth = 2})
              .interlock({"300001", 2, 1}));
    int32_t state = -1;
    EXPECT_EQ(KORDA_BattReadInterlockState(session, 1, 1, &state), 0);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(KORDA_BattReadInterlockState(session, 1, 1, &state), KORDA_STATUS_INTERLOCK_UNREADABLE);
    EXPECT_EQ(KORDA_BattReadInterlockState(session, 1, 7, &state), kSubUnitOutOfRange);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(KORDA_BattReadInterlockState(session, 1, 1, &state), 0);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(cardState("300001")->interlockReads, 2u);
}

TEST_F(SimFaults, LatencyDelaysEveryChassisCall)
{
    start(threeCards().latency(20.5));
    using Clock = std::chrono::steady_clock;
    auto started = Clock::now();
    uint32_t count = 0;
    for (int i = 0; i < 5; ++i)
        KORDA_CountFreeCards(session, &count);
    const auto chassisCalls = Clock::now() - started;
    EXPECT_GE(chassisCalls, std::chrono::microseconds(5 * 20500));
    EXPECT_LT(chassisCalls, std::chrono::seconds(5));
    started = Clock::now();
    for (int i = 0; i < 5; ++i)
        message(34);
    EXPECT_LT(Clock::now() - started, std::chrono::milliseconds(100)) << "status texts need no chassis";

    // A call takes the latency, not what the kernel makes of a sleep.
    start(threeCards().latency(1.0));
    std::vector<double> each;
    for (int i = 0; i < 21; ++i) {
        started = Clock::now();
        KORDA_CountFreeCards(session, &count);
        each.push_back(std::chrono::duration<double, std::milli>(Clock::now() - started).count());
    }
    std::nth_element(each.begin(), each.begin() + 10, each.end());
    EXPECT_GE(each[10], 1.0);
    EXPECT_LT(each[10], 1.05);
}

} // namespace
