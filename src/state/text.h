// Text rules the operations share: how a number is written into a message
// line, and how a panel text is cut to the buffer it is read into.
#pragma once

#include <cstddef>
#include <string>

namespace text {

// The first `count` characters of a UTF-8 text, never splitting one.
std::string leftCharacters(const std::string &text, std::size_t count);

// A double with `decimals` digits after the point, whatever the locale.
std::string fixed(double value, int decimals);

} // namespace text
