// Text fields draw their frame from an image kept per size and state. The
// style draws a field's rounded, antialiased frame anew at every repaint, and
// that was most of the cost of repainting a field (a quit clears seven, a
// recall rewrites forty-two).
#pragma once

class QLineEdit;

namespace panel {

void drawFrameFromCache(QLineEdit *field);

} // namespace panel
