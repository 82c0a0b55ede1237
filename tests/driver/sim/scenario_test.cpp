// Scenario contents, refused scenarios, and configuration through the environment.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include <unistd.h>

#include <nlohmann/json.hpp>

#include "driver/sim/status.h"
#include "sim_fixture.h"

namespace {

using namespace korda_sim;
namespace fs = std::filesystem;

class SimScenario : public SimFixture {
protected:
    void TearDown() override
    {
        unsetenv("KORDA_SIM_SCENARIO");
        unsetenv("KORDA_SIM_TRACE");
        fs::remove_all(dir_);
        SimFixture::TearDown();
    }
    fs::path file(const std::string &name, const std::string &content = {})
    {
        fs::create_directories(dir_);
        const fs::path path = dir_ / name;
        if (!content.empty())
            std::ofstream(path) << content;
        return path;
    }
    static void expectUnreadable()
    {
        KordaSession session = -1;
        uint32_t count = 0;
        EXPECT_EQ(VESTRA_Connect(0, kPxiAddress, 1024, 1000, &session), kScenarioUnreadable);
        EXPECT_EQ(VESTRA_Connect(0, kDefaultLanAddress, 1024, 1000, &session), kScenarioUnreadable);
        EXPECT_EQ(KORDA_CountFreeCards(1, &count), kScenarioUnreadable);
        EXPECT_EQ(session, -1);
    }
    fs::path dir_ = fs::path(testing::TempDir()) / ("sim_scenario_" + std::to_string(getpid()));
};

TEST_F(SimScenario, ScenarioReplacesTheBuiltinChassis)
{
    use(R"({"_note": "comments are keys starting with an underscore",
            "chassis": [{"address": "10.1.2.3", "cards": [
                           {"bus": 3, "slot": 1, "serial": "111111", "model": "58-214-003"},
                           {"bus": 1, "slot": 9, "serial": "222222", "model": "58-999-000", "identity": "custom"},
                           {"bus": 1, "slot": 4, "serial": "333333", "model": "58-214-003", "identity": ""}]},
                        {"address": "PXI"}]})");
    KordaSession session = 0;
    EXPECT_EQ(VESTRA_Connect(0, kDefaultLanAddress, 1024, 1000, &session), kNoChassisAtAddress);
    uint32_t count = 9;
    EXPECT_EQ(KORDA_CountFreeCards(connect(kPxiAddress), &count), 0);
    EXPECT_EQ(count, 0u);
    session = connect("10.1.2.3");
    uint32_t buses[3], slots[3];
    ASSERT_EQ(KORDA_FindFreeCards(session, 3, buses, slots), 0);
    EXPECT_EQ(std::vector<uint32_t>(buses, buses + 3), (std::vector<uint32_t>{1, 1, 3}));
    EXPECT_EQ(std::vector<uint32_t>(slots, slots + 3), (std::vector<uint32_t>{4, 9, 1}));
    EXPECT_EQ(cardId(session, open(session, 1, 4)), "");
    EXPECT_EQ(cardId(session, open(session, 1, 9)), "custom");
    EXPECT_EQ(cardId(session, open(session, 3, 1)), "58-214-003 Battery Simulator 6ch, S/N 111111, FW 2.01");
}

TEST_F(SimScenario, InvalidScenariosAreRefusedWithTheReasonAndNeverFallBack)
{
    const std::string card = R"({"bus": 1, "slot": 2, "serial": "300001", "model": "m"})";
    const auto cards = [](const std::string &list, const std::string &rest = "") {
        return R"({"chassis": [{"address": "PXI", "cards": [)" + list + "]}]" + rest + "}";
    };
    const auto one = [&](const std::string &fields) { return cards("{" + fields + "}"); };
    const auto with = [&](const std::string &key, const std::string &value) {
        return cards(card, R"(, ")" + key + R"(": )" + value);
    };
    const auto fault = [&](const std::string &rule) { return with("faults", "[{" + rule + "}]"); };
    struct Case {
        std::string scenario;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"{\"chassis\": [", "not valid JSON: parse error at line 1, column 14"},
        {"[]", "top level: must be an object"},
        {"{}", "top level: missing \"chassis\""},
        {R"({"chassis": [], "fault": []})", "top level: unknown key \"fault\""},
        {R"({"chassis": {}})", "chassis: must be an array"},
        {R"({"chassis": [{"cards": []}]})", "chassis[0]: missing \"address\""},
        {R"({"chassis": [{"address": ""}]})", "chassis[0].address: must not be empty"},
        {R"({"chassis": [{"address": "PXI"}, {"address": "PXI"}]})", "chassis[1].address: \"PXI\" is the address"},
        {cards(card + "," + card), "chassis[0].cards[1]: bus 1 slot 2 already holds a card"},
        {cards(card + R"(, {"bus": 1, "slot": 4, "serial": "300001", "model": "m"})"),
         "chassis[0].cards[1]: serial \"300001\" already used"},
        {one(R"("bus": "1", "slot": 2, "serial": "1", "model": "m")"), "chassis[0].cards[0].bus: must be an integer"},
        {one(R"("bus": 0, "slot": 2, "serial": "1", "model": "m")"), "cards[0].bus: must be an integer from 1"},
        {one(R"("bus": 1, "slot": 2.5, "serial": "1", "model": "m")"), "cards[0].slot: must be an integer"},
        {one(R"("bus": 1, "slot": 2, "serial": "", "model": "m")"), "cards[0].serial: must not be empty"},
        {one(R"("bus": 1, "slot": 2, "serial": "1")"), "cards[0]: missing \"model\""},
        {one(R"("bus": 1, "slot": 2, "serial": "1", "model": "m", "identiy": "x")"), "unknown key \"identiy\""},
        {with("latency_ms", "-1"), "latency_ms: must be a number"},
        {with("latency_ms", "\"5\""), "latency_ms: must be a number"},
        {fault(R"("call": "KORDA_BattSetVoltage", "nth": -1, "status": 8)"),
         "faults[0].nth: must be an integer of at least 1"},
        {fault(R"("call": "KORDA_BattSetVoltage", "nth": 0, "status": 8)"), "faults[0].nth"},
        {fault(R"("call": "KORDA_BattSetVoltage", "times": -1, "status": 8)"), "faults[0].times"},
        {fault(R"("call": "KORDA_BattSetVoltage")"), "faults[0]: missing \"status\""},
        {fault(R"("call": "KORDA_BattSetVoltage", "status": 0)"), "faults[0].status: must not be 0"},
        {fault(R"("call": "KORDA_BattSetVoltag", "status": 8)"), "unknown call \"KORDA_BattSetVoltag\""},
        {fault(R"("call": "KORDA_ErrorCodeToMessage", "status": 8)"), "cannot be failed"},
        {fault(R"("call": "*", "serial": "300009", "status": 8)"), "no card has serial \"300009\""},
        {fault(R"("call": "VESTRA_Connect", "serial": "300001", "status": 8)"), "addresses no card"},
        {fault(R"("call": "KORDA_ClearCard", "sub": 1, "status": 8)"), "takes no sub-unit"},
        {fault(R"("call": "*", "sub": 7, "status": 8)"), "faults[0].sub: must be an integer from 1 to 6"},
        {fault(R"("call": "*", "status": 8, "serail": "300001")"), "faults[0]: unknown key \"serail\""},
        {with("interlock", R"([{"serial": "300001", "reads": -1}])"), "interlock[0].reads"},
        {with("interlock", R"([{"from_read": 2}])"), "interlock[0]: missing \"serial\""},
        // Numbers beyond a double, and control characters in quoted input.
        {with("latency_ms", "1e400"), "not valid JSON: number overflow"},
        {with("latency_ms", "-1e400"), "not valid JSON: number overflow"},
        {one(R"("bus": 1e400, "slot": 2, "serial": "1", "model": "m")"), "not valid JSON: number overflow"},
        {R"({"chassis": [], "a\nb\r": 1})", R"(unknown key "a\nb\r")"},
        {R"({"chassis": [], "\u001b[2J\u007f": 1})", R"(unknown key "\x1b[2J\x7f")"},
        {R"({"chassis": [{"address": "P\tX"}, {"address": "P\tX"}]})", R"("P\tX" is the address)"},
        {"{\"chassis\": [\n\n\u0001", "not valid JSON: parse error at line 3"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.scenario);
        const std::string error = useScenario(c.scenario);
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_TRUE(std::none_of(error.begin(), error.end(), [](char ch) { return ch >= 0 && ch < 0x20; }))
            << "one line, control characters escaped: " << error;
        expectUnreadable();
    }
    EXPECT_EQ(useScenario(with("faults", "[]")), "") << "the cases above must fail for their own reason only";
    EXPECT_NE(message(kScenarioUnreadable).find("scenario"), std::string::npos);
}

TEST_F(SimScenario, EnvironmentIsReadAtTheFirstCallUnlessConfiguredInProcess)
{
    const fs::path scenario = file("scenario.json", threeCards("10.9.9.9"));
    const fs::path trace = file("trace.jsonl");
    setenv("KORDA_SIM_SCENARIO", scenario.c_str(), 1);
    setenv("KORDA_SIM_TRACE", trace.c_str(), 1);

    useBuiltinChassis(); // configured in process: the environment is not read
    connect(kPxiAddress);
    EXPECT_FALSE(fs::exists(trace));

    korda_sim::reset();
    const KordaSession session = connect("10.9.9.9");
    open(session, 1, 3);
    KordaSession none = 0;
    EXPECT_EQ(VESTRA_Connect(0, kPxiAddress, 1024, 1000, &none), kNoChassisAtAddress);
    EXPECT_TRUE(cardState("300002")->open);

    std::ifstream in(trace);
    std::vector<nlohmann::json> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]["out"]["session"], 1);
    EXPECT_EQ(lines[1]["call"], "KORDA_OpenSpecifiedCard");
    EXPECT_EQ(lines[2]["status"], kNoChassisAtAddress);
}

TEST_F(SimScenario, UnreadableScenarioFileIsReportedOnceOnStandardError)
{
    for (const std::string &content : {std::string(), std::string("{\"chassis\": 3}")}) {
        const fs::path path = content.empty() ? dir_ / "missing.json" : file("bad.json", content);
        SCOPED_TRACE(path);
        setenv("KORDA_SIM_SCENARIO", path.c_str(), 1);
        korda_sim::reset();
        testing::internal::CaptureStderr();
        expectUnreadable();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find(path.string()), std::string::npos) << err;
        EXPECT_NE(err.find(content.empty() ? "No such file" : "chassis: must be an array"), std::string::npos) << err;
    }
    EXPECT_NE(useScenarioFile((dir_ / "missing.json").string()).find("cannot read the file"), std::string::npos);
    expectUnreadable();
}

} // namespace
