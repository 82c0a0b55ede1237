// The end without a display, taken while a popup waits: what is left of quit
// goes to the cards by the driver alone, nothing twice, nothing after a lost
// chassis connection, and the setpoints are saved. The whole end, from a real
// display that goes away, is in tests/app/e2e_test.cpp.
#include "settings/shutdown.h"
#include "settings/switched_off.h"
#include "support/panel_harness.h"
#include "support/scenario.h"
#include "support/state_file.h"

#include <gtest/gtest.h>

using scenario::Chassis;
using scenario::Fault;

namespace {

// The driver-only steps of one sub-unit: sink 0, then output off.
std::vector<std::string> safe(int card, int sub)
{
    const std::string at = std::to_string(card) + "/" + std::to_string(sub);
    return {"BattSetCurrent " + at + " 0", "BattSetEnable " + at + " 0"};
}

std::vector<std::string> safeAndClosed(int card, int fromSub)
{
    std::vector<std::string> calls;
    for (int s = fromSub; s <= 6; ++s)
        calls = calls + safe(card, s);
    return calls + std::vector<std::string>{"CloseSpecifiedCard " + std::to_string(card)};
}

} // namespace

TEST(EndWithoutDisplay, GoesOnFromWhereThePanelStoodWhenTheDisplayWent)
{
    struct Case {
        const char *name;
        std::vector<Fault> faults; // the first opens the popup the display goes under
        int action;                // what the operator does: press QUIT, or commit channel 1's voltage
        std::vector<std::string> (*expected)(int c1, int c3);
        bool chassisLost;
    };
    const Case cases[] = {
        {"quit held by a read-back error on card 3, sub-unit 2: the rest of quit only",
         {{"KORDA_BattGetCurrent", 8, "300003", 2, 2}},
         ctrl::QUIT,
         [](int, int c3) {
             return std::vector<std::string>{"BattSetEnable " + std::to_string(c3) + "/2 0"} + safeAndClosed(c3, 3);
         },
         false},
        {"the chassis lost on the way: no call after 4112",
         {{"KORDA_BattSetVoltage", 8, "300001", 1}, {"KORDA_BattSetEnable", 4112, "300001", 3}},
         ctrl::VOLTAGE_CH_1,
         [](int c1, int) {
             std::vector<std::string> calls = safe(c1, 1) + safe(c1, 2) + safe(c1, 3);
             calls.back() += " !4112";
             return calls;
         },
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PanelHarness h(Chassis::at({1, 3}).faults(c.faults));
        QJsonObject values = scenario::idleVoltages({1, 3});
        values.insert("STARTUP_MSG", 1);
        h.writeFile("Tavrin.state", scenario::stateFile(values));
        ASSERT_EQ(h.start(), 0);
        h.enterEventLoop();
        h.type(ctrl::CURRENT_SINK_CH_14, "30");
        h.press(ctrl::ENABLE_2);
        ASSERT_TRUE(h.popups.shown.empty());

        std::vector<std::string> calls;
        EndWithoutDisplay end;
        QJsonObject saved;
        int ends = 0;
        h.popups.whileOpen = [&](const ShownPopup &) {
            if (ends++ > 0)
                return; // the process would have ended with the first
            h.clearTrace();
            end = finishWithoutDisplay(h.app);
            calls = h.calls();
            saved = scenario::savedValues(h.readFile("Tavrin.state"));
        };
        testing::internal::CaptureStderr();
        if (c.action == ctrl::QUIT)
            h.press(ctrl::QUIT);
        else
            h.type(c.action, "2.5");
        const std::string err = testing::internal::GetCapturedStderr();

        ASSERT_EQ(ends, 1) << "one popup opened, the later ones did not wait";
        EXPECT_EQ(calls, c.expected(h.app.card(1).Card, h.app.card(3).Card));
        EXPECT_EQ(end.chassisLost, c.chassisLost);
        EXPECT_EQ(end.cards, c.chassisLost ? 0 : 2);
        EXPECT_TRUE(end.stateSaved);
        EXPECT_EQ(c.chassisLost, err.find("tavr: ERROR KORDA: <ERROR 0x1010") != std::string::npos) << err;
        EXPECT_EQ(saved.value("CURRENT_SINK_CH_14").toInt(), 30) << "also the setpoint quit held aside";
        EXPECT_EQ(saved.value("ENABLE_2").toInt(), 0);
    }
}
