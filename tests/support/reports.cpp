#include "support/reports.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>

namespace reports {

int sourceLine(const std::string &file, const std::string &needle)
{
    std::ifstream in(std::string(TAVR_SOURCE_DIR) + "/" + file);
    EXPECT_TRUE(in.is_open()) << file;
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

namespace {

std::string hex(int status)
{
    char text[16];
    std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(status));
    return text;
}

} // namespace

std::string errorReport(int status, int line, const std::string &description)
{
    return "<ERROR 0x" + hex(status) + " in line " + std::to_string(line) + " = " + description + ">\n";
}

std::string errorReport(int status, const std::string &file, const std::string &needle,
                        const std::string &description)
{
    return errorReport(status, sourceLine(file, needle), description);
}

std::string unknownStatus(int status) { return "Unknown status 0x" + hex(status); }

std::string withoutLine(const std::string &text)
{
    static const std::regex lineNumber("in line [0-9]+ =");
    return std::regex_replace(text, lineNumber, "in line # =");
}

} // namespace reports
