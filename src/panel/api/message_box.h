// The message box, the panel's one log. Every operation writes its progress,
// result and error lines through these two calls.
#pragma once

#include "panel/api/control_ids.h"
#include "panel/api/ui.h"

#include <string>

namespace ui {

// Appends `text` exactly as given, with no line break of its own.
inline void appendMessage(int panel, const std::string &text) { setText(panel, ctrl::MSGBOX, text); }

// Empties the box.
inline void clearMessages(int panel) { resetTextBox(panel, ctrl::MSGBOX, ""); }

} // namespace ui
