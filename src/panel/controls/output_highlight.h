// A switched-on output stands out from the ones that are off: its check box
// stands on a green ground, paler while the box is dimmed. For check boxes
// without text.
#pragma once

#include <QRgb>

class QAbstractButton;

namespace panel {

// The green of an output that is on, wherever the panel shows one.
inline constexpr QRgb kOutputOnColour = 0x2e9d3f;

void highlightWhenChecked(QAbstractButton *button);

} // namespace panel
