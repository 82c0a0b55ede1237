// The command line: the program's own options, the address text and the
// state file name made from it, and the texts that cannot be used.
#include "app/command_line.h"
#include "app/state_file_name.h"

#include <QDir>
#include <gtest/gtest.h>
#include <vector>

namespace {

CommandLine parse(std::vector<std::string> args)
{
    args.insert(args.begin(), "tavr");
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    return parseCommandLine(static_cast<int>(argv.size()), argv.data());
}

} // namespace

TEST(CommandLine, TheRemainingArgumentsAreTheAddressJoinedWithSingleBlanks)
{
    struct Case {
        std::vector<std::string> args;
        std::string text;
        std::string file;
    };
    const Case cases[] = {
        {{}, "", "Tavrin.state"},
        {{""}, "", "Tavrin.state"},
        {{"10.0.0.5"}, "10.0.0.5", "Tavrin_10.0.0.5.state"},
        {{"my", "chassis"}, "my chassis", "Tavrin_my chassis.state"},
        {{"two  blanks"}, "two  blanks", "Tavrin_two  blanks.state"},
        {{"\"quoted\""}, "\"quoted\"", "Tavrin_\"quoted\".state"},
        {{"--", "-5"}, "-5", "Tavrin_-5.state"},
        {{"10.0.0.5", "--help"}, "10.0.0.5 --help", "Tavrin_10.0.0.5 --help.state"},
        {{std::string(86, 'a')}, std::string(86, 'a'), "Tavrin_" + std::string(86, 'a') + ".state"},
        {{"\xe6\x9d\xb1-chassis"}, "\xe6\x9d\xb1-chassis", "Tavrin_\xe6\x9d\xb1-chassis.state"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const CommandLine parsed = parse(c.args);
        EXPECT_FALSE(parsed.exit) << parsed.output;
        EXPECT_EQ(parsed.text, c.text);
        EXPECT_EQ(stateFileName(parsed.text), c.file);
    }
    EXPECT_EQ(stateFileName(std::string(86, 'a')).size(), 99u);
}

TEST(CommandLine, TextsThatCannotBePartOfAFileNameAreRefusedWithTheReason)
{
    struct Case {
        std::vector<std::string> args;
        std::string reason;
    };
    const Case cases[] = {
        {{"a/b"}, "\"/\""},
        {{"..\\x"}, "\"\\\""},
        {{"."}, "cannot be part of a file name"},
        {{".."}, "cannot be part of a file name"},
        {{std::string(87, 'a')}, "longer than 86 bytes (counted in UTF-8"},
        {{"10.0.0.5\n"}, "control character"},
        {{"tab\there"}, "control character"},
        {{"del\x7f"}, "control character"},
        {{[] { std::string s; for (int i = 0; i < 44; ++i) s += "\xc3\xa4"; return s; }()}, "longer than 86 bytes"},
        {{"10.0.0.\xff"}, "not valid UTF-8"},
        {{"\xc3"}, "not valid UTF-8"},
        {{"a", "\xed\xa0\x80"}, "not valid UTF-8"}, // an encoded surrogate
        {{"--bogus"}, "Unknown option 'bogus'"},
        {{"--no-record", "--record-dir", "/tmp"}, "--record-dir and --no-record exclude each other"},
        {{"--record-dir="}, "--record-dir needs a folder"},
        {{"--record-dir"}, "Missing value after '--record-dir'"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.front());
        const CommandLine parsed = parse(c.args);
        EXPECT_TRUE(parsed.exit);
        EXPECT_EQ(parsed.status, 2);
        EXPECT_NE(parsed.output.find(c.reason), std::string::npos) << parsed.output;
        EXPECT_NE(parsed.output.find("tavr --help"), std::string::npos);
    }
    // The same texts inside a longer address are refused too.
    EXPECT_TRUE(commandLineProblem("x ../y").has_value());
    EXPECT_FALSE(commandLineProblem("..x").has_value());
    EXPECT_FALSE(commandLineProblem("192.168.100.10").has_value());
}

// Qt has no state location; the XDG rule is followed, a relative
// XDG_STATE_HOME counting as unset. The options come before the address.
TEST(CommandLine, TheRecordGoesToTheXdgStateFolderUnlessChosenOrTurnedOff)
{
    const QByteArray kept = qgetenv("XDG_STATE_HOME");
    const std::string home = QDir::homePath().toStdString();
    const std::string here = QDir::currentPath().toStdString();
    struct Case {
        const char *xdg;
        std::vector<std::string> args;
        std::string folder;
        std::string text = {};
    };
    const Case cases[] = {
        {"/var/state/", {}, "/var/state/tavr"},
        {"state", {}, home + "/.local/state/tavr"}, // relative: as unset
        {"/var/state", {"--record-dir", "/tmp/records/", "10.0.0.5"}, "/tmp/records", "10.0.0.5"},
        {"/var/state", {"--record-dir=records"}, here + "/records"},
        {"/var/state", {"--no-record"}, ""},
        {"/var/state", {"10.0.0.5", "--no-record"}, "/var/state/tavr", "10.0.0.5 --no-record"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.folder);
        qputenv("XDG_STATE_HOME", c.xdg);
        const CommandLine parsed = parse(c.args);
        EXPECT_FALSE(parsed.exit) << parsed.output;
        EXPECT_EQ(parsed.recordFolder, c.folder);
        EXPECT_EQ(parsed.text, c.text);
    }
    qputenv("XDG_STATE_HOME", kept);
    if (kept.isNull())
        qunsetenv("XDG_STATE_HOME");
}

TEST(CommandLine, HelpAndVersionPrintAndEndWithZero)
{
    for (const char *option : {"--help", "-h"}) {
        const CommandLine parsed = parse({option});
        EXPECT_TRUE(parsed.exit);
        EXPECT_EQ(parsed.status, 0);
        EXPECT_EQ(parsed.output.rfind("Usage: tavr [options] [ADDRESS]", 0), 0u) << parsed.output;
        EXPECT_NE(parsed.output.find("Tavrin_ADDRESS.state"), std::string::npos);
    }
    for (const char *option : {"--version", "-v"}) {
        const CommandLine parsed = parse({option});
        EXPECT_TRUE(parsed.exit);
        EXPECT_EQ(parsed.status, 0);
        EXPECT_EQ(parsed.output.rfind("tavr " TAVR_VERSION "\npanel: Version 1.0.3, 17-JAN-2017\n", 0), 0u)
            << parsed.output;
        EXPECT_NE(parsed.output.find("simulated chassis"), std::string::npos);
    }
}
