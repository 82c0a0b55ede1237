// The call trace: one JSON object per call with inputs, status and outputs.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include <unistd.h>

#include <nlohmann/json.hpp>

#include "driver/sim/status.h"
#include "sim_fixture.h"

namespace {

using namespace korda_sim;
using nlohmann::json;

class SimTrace : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        captureTrace(true);
    }
    static std::vector<json> traced()
    {
        std::vector<json> lines;
        for (const std::string &line : capturedTrace())
            lines.push_back(json::parse(line));
        return lines;
    }
};

TEST_F(SimTrace, EachCallIsOneLineWithItsInputsStatusAndOutputs)
{
    const double volts = 0.1 + 0.2; // needs all 17 digits to read back exactly
    KordaSession s = 0;
    KordaCard card = 0;
    uint32_t count = 0, buses[2], slots[2];
    double read = 0;
    int32_t state = 0;
    char text[100];
    VESTRA_Connect(0, "PXI", 1024, 1000, &s);
    KORDA_CountFreeCards(s, &count);
    KORDA_FindFreeCards(s, 2, buses, slots);
    KORDA_OpenSpecifiedCard(s, 1, 3, &card);
    KORDA_CardId(s, card, text, 11);
    KORDA_BattSetVoltage(s, card, 2, volts);
    KORDA_BattGetVoltage(s, card, 2, &read);
    KORDA_BattSetCurrent(s, card, 7, 0.05);
    KORDA_BattGetEnable(s, card, 1, &state);
    KORDA_BattReadInterlockState(s, card, 1, &state);
    KORDA_ClearCard(s, card);
    KORDA_CloseSpecifiedCard(s, card);
    KORDA_ErrorCodeToMessage(0x1010, text, 200);
    const std::vector<json> expected = {
        {{"call", "VESTRA_Connect"}, {"address", "PXI"}, {"flags", 0}, {"port", 1024}, {"timeout_ms", 1000},
         {"status", 0}, {"out", {{"session", 1}}}},
        {{"call", "KORDA_CountFreeCards"}, {"session", 1}, {"status", 0}, {"out", {{"count", 8}}}},
        {{"call", "KORDA_FindFreeCards"}, {"session", 1}, {"count", 2}, {"status", 0},
         {"out", {{"buses", {1, 1}}, {"slots", {2, 3}}}}},
        {{"call", "KORDA_OpenSpecifiedCard"}, {"session", 1}, {"bus", 1}, {"slot", 3}, {"status", 0},
         {"out", {{"card", 1}}}},
        {{"call", "KORDA_CardId"}, {"session", 1}, {"card", 1}, {"size", 11}, {"status", 0},
         {"out", {{"text", "58-214-003"}}}},
        {{"call", "KORDA_BattSetVoltage"}, {"session", 1}, {"card", 1}, {"sub", 2}, {"volts", volts}, {"status", 0}},
        {{"call", "KORDA_BattGetVoltage"}, {"session", 1}, {"card", 1}, {"sub", 2}, {"status", 0},
         {"out", {{"volts", volts}}}},
        {{"call", "KORDA_BattSetCurrent"}, {"session", 1}, {"card", 1}, {"sub", 7}, {"amps", 0.05},
         {"status", kSubUnitOutOfRange}},
        {{"call", "KORDA_BattGetEnable"}, {"session", 1}, {"card", 1}, {"sub", 1}, {"status", 0},
         {"out", {{"state", 0}}}},
        {{"call", "KORDA_BattReadInterlockState"}, {"session", 1}, {"card", 1}, {"sub", 1}, {"status", 0},
         {"out", {{"state", 1}}}},
        {{"call", "KORDA_ClearCard"}, {"session", 1}, {"card", 1}, {"status", 0}},
        {{"call", "KORDA_CloseSpecifiedCard"}, {"session", 1}, {"card", 1}, {"status", 0}},
        {{"call", "KORDA_ErrorCodeToMessage"}, {"status_in", 0x1010}, {"size", 200}, {"status", 0},
         {"out", {{"text", "Connection to the chassis lost"}}}},
    };
    const std::vector<json> lines = traced();
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], expected[i]) << lines[i].dump();
    EXPECT_EQ(lines[6]["out"]["volts"].get<double>(), volts);
    EXPECT_EQ(capturedTrace()[0].rfind(R"({"call":"VESTRA_Connect",)", 0), 0u) << "the name comes first";
}

TEST_F(SimTrace, InjectedFailuresAndOddInputsAreTracedToo)
{
    use(threeCards().fault({"KORDA_CountFreeCards", 77}));
    captureTrace(true);
    clearCapturedTrace();
    KordaSession s = 0;
    uint32_t count = 0;
    VESTRA_Connect(0, "PXI", 1024, 1000, &s);
    KORDA_CountFreeCards(s, &count);
    EXPECT_EQ(VESTRA_Connect(0, "\xff\xfe bad", 1, 2, &s), kNoChassisAtAddress);
    EXPECT_EQ(VESTRA_Connect(0, nullptr, 1, 2, &s), kNullPointer);
    const std::vector<json> lines = traced();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], (json{{"call", "KORDA_CountFreeCards"}, {"session", 1}, {"status", 77}}));
    EXPECT_EQ(lines[2]["address"], "\xEF\xBF\xBD\xEF\xBF\xBD bad");
    EXPECT_TRUE(lines[3]["address"].is_null());
}

TEST_F(SimTrace, FileTraceIsAppendedAndFlushedLineByLine)
{
    const std::string path = testing::TempDir() + "sim_trace_" + std::to_string(getpid()) + ".jsonl";
    std::ofstream(path) << "earlier line\n";
    ASSERT_EQ(traceToFile(path), "");
    const auto lines = [&] {
        std::ifstream in(path);
        std::vector<std::string> all;
        for (std::string line; std::getline(in, line);)
            all.push_back(line);
        return all;
    };
    const KordaSession s = connect();
    EXPECT_EQ(lines().size(), 2u) << "the line is on disk before the call returns";
    KORDA_CountFreeCards(s, nullptr);
    ASSERT_EQ(lines().size(), 3u);
    EXPECT_EQ(lines()[0], "earlier line");
    EXPECT_EQ(lines()[2], capturedTrace()[1]);
    EXPECT_EQ(traceToFile(""), "");
    connect();
    EXPECT_EQ(lines().size(), 3u);
    EXPECT_NE(traceToFile("/nonexistent-dir/trace.jsonl").find("cannot open trace file"), std::string::npos);
    std::remove(path.c_str());
}

} // namespace
