// A set of channel setpoints as CSV text, as a spreadsheet opens and saves
// it: the header row, then a row per channel with its number, its name, its
// voltage in volts (a dot and three decimals) and its sink current in whole
// milliamperes, e.g.
//   channel,name,voltage_V,sink_mA
//   1,cell 1,3.700,0
// Reading checks every row against the limits of the panel's fields.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace setpoint_csv {

inline constexpr char kHeader[] = "channel,name,voltage_V,sink_mA";
// The fields' limits and resolution on the panel.
inline constexpr int32_t kMaxMillivolts = 7000;
inline constexpr int32_t kMaxSinkMilliamps = 100;
inline constexpr std::size_t kNameLimit = 15; // counted as the name field counts

struct Row {
    int channel = 0;
    std::string name;
    int32_t millivolts = 0;
    int32_t sinkMilliamps = 0;
};

std::string write(const std::vector<Row> &rows);

struct Parsed {
    std::vector<Row> rows; // in the file's order
    std::string error;     // the first bad row and why (e.g. "row 5: ..."); empty for a good set
};
Parsed read(std::string_view text);

// Why the name field cannot take `name` ("is longer than 15 characters"),
// or empty when it can.
std::string nameProblem(std::string_view name);

// `text` with every control and bidirectional control character, and every
// byte that is not UTF-8, shown as U+FFFD: safe to put into a line or popup.
std::string printable(std::string_view text);

} // namespace setpoint_csv
