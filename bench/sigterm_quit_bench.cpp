// Quit from outside: the time from SIGTERM to the end of the process (the
// whole quit, the save and the teardown), best of seven, at latencies 0,
// 0.1 ms and 1 ms, against the latency of the calls made after the signal.
// The calls are counted in one traced run; the timed runs write no trace.
// Two cases: the signal comes while the startup hint is open (the poll tick
// that opened it finishes its reads first, and those calls count too), and
// while the poll runs with no popup open (hint disabled, voltages 0).
//   ./build/default/bench_sigterm_quit
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::string scenario(double latency)
{
    std::string cards;
    for (int k = 1; k <= 7; ++k)
        cards += std::string(k > 1 ? "," : "") + R"({"bus": 1, "slot": )" + std::to_string(k + 1) +
                 R"(, "serial": "30000)" + std::to_string(k) + R"(", "model": "58-214-003"})";
    return R"({"chassis": [{"address": "192.168.100.10", "cards": [)" + cards + R"(]}], "latency_ms": )" +
           std::to_string(latency) + "}";
}

// A state file that disables the startup hint and recalls every voltage as 0,
// so that nothing is dimmed and no popup opens.
std::string quietStateFile()
{
    std::string values = R"("STARTUP_MSG": 1)";
    for (int n = 1; n <= 42; ++n)
        values += R"(, "VOLTAGE_CH_)" + std::to_string(n) + R"(": 0)";
    return R"({"format": "tavr-panel-state", "version": 1, "panel": "BSDpanel", "slots": {"0": {)" + values + "}}}";
}

long long sizeOf(const std::string &path)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    return file ? static_cast<long long>(file.tellg()) : 0;
}

// Runs the panel in `dir`, signals it once it is up; returns ms from the
// signal to its end. A traced run notes in `traceAtSignal` how much of the
// trace was written before the signal.
double quitOnce(const std::string &dir, bool traced, long long *traceAtSignal = nullptr)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(dir.c_str()) != 0)
            ::_exit(127);
        ::setenv("KORDA_SIM_SCENARIO", "scenario.json", 1);
        // The record, as by default, but beside the run: an absolute folder,
        // as a relative one would count as unset.
        ::setenv("XDG_STATE_HOME", (dir + "/state").c_str(), 1);
        if (traced)
            ::setenv("KORDA_SIM_TRACE", "trace.jsonl", 1);
        ::execl(TAVR_EXE, TAVR_EXE, static_cast<char *>(nullptr));
        ::_exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    if (traceAtSignal)
        *traceAtSignal = sizeOf(dir + "/trace.jsonl");
    const auto from = std::chrono::steady_clock::now();
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const auto to = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "tavr ended with status %d\n", status);
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Calls traced after the first `skip` bytes of the trace.
int callsAfter(const std::string &dir, long long skip)
{
    std::ifstream trace(dir + "/trace.jsonl");
    trace.seekg(skip);
    std::string line;
    int calls = 0;
    while (std::getline(trace, line))
        if (line.find("KORDA_ErrorCodeToMessage") == std::string::npos) // no call to the chassis
            ++calls;
    return calls;
}

} // namespace

int main()
{
    ::setenv("QT_QPA_PLATFORM", std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "offscreen", 1);
    char pattern[] = "/tmp/tavr-bench-XXXXXX";
    const std::string dir = ::mkdtemp(pattern);
    std::printf("%-34s %6s %12s %12s %8s\n", "quit, SIGTERM to exit", "calls", "latency ms", "best ms", "ratio");
    for (const bool hintOpen : {true, false}) {
        for (const double latency : {0.0, 0.1, 1.0}) {
            std::ofstream(dir + "/scenario.json") << scenario(latency);
            std::remove((dir + "/Tavrin.state").c_str());
            if (!hintOpen)
                std::ofstream(dir + "/Tavrin.state") << quietStateFile();
            std::remove((dir + "/trace.jsonl").c_str());
            long long traceAtSignal = 0;
            quitOnce(dir, true, &traceAtSignal);
            const int calls = callsAfter(dir, traceAtSignal);
            double best = 1e9;
            for (int r = 0; r < 7; ++r) {
                if (!hintOpen) // each run saves its state: start from the quiet one again
                    std::ofstream(dir + "/Tavrin.state") << quietStateFile();
                best = std::min(best, quitOnce(dir, false));
            }
            const double sum = calls * latency;
            char what[64];
            std::snprintf(what, sizeof what, "%s, %.1f", hintOpen ? "hint open" : "poll running, no popup", latency);
            std::printf("%-34s %6d %12.1f %12.2f %8s\n", what, calls, sum, best,
                        sum > 0 ? std::to_string(best / sum).substr(0, 4).c_str() : "-");
        }
    }
    std::system(("rm -rf " + dir).c_str());
    return 0;
}
