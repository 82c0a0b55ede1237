#include "state/text.h"

#include <charconv>

namespace text {

std::string leftCharacters(const std::string &text, std::size_t count)
{
    std::size_t i = 0;
    for (std::size_t chars = 0; i < text.size() && chars < count; ++chars) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            ++i; // continuation bytes belong to the same character
    }
    return text.substr(0, i);
}

std::string fixed(double value, int decimals)
{
    char buffer[400]; // room for the longest double written in full
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(buffer, end) : std::string("?");
}

} // namespace text
