#include "app/state_file_name.h"

// With "Tavrin_" and ".state" around it, a text of this many bytes makes a
// name of 99 bytes.
static const std::size_t kMaxCommandLine = 86;

std::string stateFileName(const std::string &commandLine)
{
    if (commandLine.empty())
        return "Tavrin.state";
    return "Tavrin_" + commandLine + ".state";
}

std::optional<std::string> commandLineProblem(const std::string &commandLine)
{
    if (commandLine == "." || commandLine == "..")
        return "the address \"" + commandLine + "\" cannot be part of a file name";
    if (commandLine.size() > kMaxCommandLine)
        return "the address is longer than " + std::to_string(kMaxCommandLine)
               + " bytes (counted in UTF-8, where a character beyond ASCII takes 2 to 4 bytes)";
    for (const char c : commandLine) {
        if (c == '/' || c == '\\')
            return std::string("the address holds \"") + c + "\", which cannot be part of a file name";
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
            return "the address holds a control character";
    }
    return std::nullopt;
}
