// A switched-on output stands out from the ones that are off: its check box
// stands on a green ground, paler while the box is dimmed. For check boxes
// without text.
#pragma once

class QAbstractButton;

namespace panel {

void highlightWhenChecked(QAbstractButton *button);

} // namespace panel
