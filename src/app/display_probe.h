// Whether the display the toolkit is about to use answers at all.
#pragma once

#include <string>

// Empty when the panel can be shown: the toolkit's platform needs no display
// (offscreen and the like), or the X or Wayland display it would use accepts
// a connection. Otherwise one line for the operator naming the display tried.
// Checked before the toolkit starts, which would end the process on its own.
std::string unreachableDisplay();
