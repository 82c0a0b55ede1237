// Shared set-up of the simulated-chassis tests: every test starts from a fresh
// simulator on the built-in chassis, and small helpers for the common calls.
#ifndef TAVR_TESTS_DRIVER_SIM_FIXTURE_H
#define TAVR_TESTS_DRIVER_SIM_FIXTURE_H

#include <string>

#include <gtest/gtest.h>

#include "driver/korda.h"
#include "driver/sim/korda_sim.h"
#include "support/scenario.h"

class SimFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        korda_sim::reset();
        korda_sim::useBuiltinChassis();
    }
    void TearDown() override { korda_sim::reset(); }

    static KordaSession connect(const char *address = korda_sim::kPxiAddress)
    {
        KordaSession session = 0;
        EXPECT_EQ(VESTRA_Connect(0, address, 1024, 1000, &session), KORDA_STATUS_OK) << address;
        return session;
    }
    static KordaCard open(KordaSession session, uint32_t bus, uint32_t slot)
    {
        KordaCard card = 0;
        EXPECT_EQ(KORDA_OpenSpecifiedCard(session, bus, slot, &card), KORDA_STATUS_OK) << bus << "/" << slot;
        return card;
    }
    static std::string cardId(KordaSession session, KordaCard card)
    {
        char text[100] = "";
        EXPECT_EQ(KORDA_CardId(session, card, text, sizeof text), KORDA_STATUS_OK);
        return text;
    }
    static std::string message(KordaStatus status)
    {
        char text[200] = "";
        EXPECT_EQ(KORDA_ErrorCodeToMessage(status, text, sizeof text), KORDA_STATUS_OK);
        return text;
    }
    static void use(const std::string &scenario) { ASSERT_EQ(korda_sim::useScenario(scenario), ""); }
};

// One chassis (PXI unless named) with three battery simulators, 300001..300003
// at bus 1, slots 2..4.
inline scenario::Chassis threeCards(const std::string &address = korda_sim::kPxiAddress)
{
    return scenario::Chassis::withSerials({"300001", "300002", "300003"}, address);
}

#endif
