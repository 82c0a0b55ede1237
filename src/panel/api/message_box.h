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

// Characters that would make a line of the box say what did not happen, none
// of which can be typed into a field. A text from outside (a state file, a
// set of setpoints) is kept free of them. First the line breaks and the other
// control characters: C0, DEL, C1 (ESC sequences drive a terminal that shows
// a saved log), and the line and paragraph separators.
constexpr bool isControlCharacter(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}
// Then the marks, embeddings, overrides and isolates that reorder text as
// shown (U+202E makes "evil" read "live").
constexpr bool isBidiControl(char32_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}
constexpr bool forgesLogText(char32_t c) { return isControlCharacter(c) || isBidiControl(c); }

} // namespace ui
