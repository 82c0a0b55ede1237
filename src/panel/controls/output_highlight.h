// A switched-on output stands out from the ones that are off: a green
// backdrop behind its check box, paler while the box is dimmed.
#pragma once

class QAbstractButton;

namespace panel {

// The button is painted in its own paint event, backdrop first and then the
// box a little inset. (A style sheet did the same at many times the cost of
// every paint of the button.) For check boxes.
void highlightWhenChecked(QAbstractButton *button);

} // namespace panel
