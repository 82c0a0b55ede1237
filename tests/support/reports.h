// The texts the status check writes, as the tests expect them: the report of a
// status from a line of our own sources, found there by a needle.
#pragma once

#include <string>

namespace reports {

// The sentence a lost chassis connection adds to its popup.
inline constexpr char kRelaunch[] = "\nSFP should be terminated and re-launched with a valid chassis connection...";
inline constexpr char kLost[] = "Connection to the chassis lost";

// The line of `file` (relative to the source tree) that holds `needle`;
// exactly one line must.
int sourceLine(const std::string &file, const std::string &needle);

// "<ERROR 0x<status in hex> in line <line> = <description>>\n".
std::string errorReport(int status, int line, const std::string &description);
// The same, from the line of `file` that holds `needle`.
std::string errorReport(int status, const std::string &file, const std::string &needle,
                        const std::string &description);
// The simulator's description of a status it does not know.
std::string unknownStatus(int status);

// The poll's line for an active interlock of position k.
inline std::string interlockLine(int position)
{
    return "Interlock Card" + std::to_string(position) + " active (press RESET to resume)\n";
}

// `text` with the line numbers of its reports blanked to "in line # =", for
// tests that do not pin them.
std::string withoutLine(const std::string &text);

} // namespace reports
