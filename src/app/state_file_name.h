// The panel state file's name, from the command-line text (the LAN address).
#pragma once

#include <optional>
#include <string>

// "Tavrin.state" for an empty command line, else "Tavrin_<text>.state".
std::string stateFileName(const std::string &commandLine);

// Why the command-line text cannot be part of a file name, or nothing when it can.
std::optional<std::string> commandLineProblem(const std::string &commandLine);
