// A control paints the background behind it itself, in the colour its parent
// shows there, so that Qt takes it as opaque: a change to it repaints only the
// control, and not the frame, the scroll area and the window beneath it, and
// Qt has fewer and simpler areas to merge when many controls change at once.
#pragma once

class QWidget;

namespace panel {

void paintOwnBackground(QWidget *widget);

} // namespace panel
