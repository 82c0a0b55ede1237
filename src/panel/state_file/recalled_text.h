// What a text recalled from a state file may hold. The file is outside input:
// anyone can edit it, and its texts end up in every log line of their channel
// and in the discovery line of the address.
#pragma once

#include <QChar>
#include <QString>

namespace panel {

// Characters that would make a log line say what did not happen, none of
// which can be typed into a field: line breaks and the other control
// characters (C0, DEL, C1: ESC sequences drive a terminal that shows a saved
// log), the bidirectional controls (U+202E makes "evil" read "live"), and the
// line and paragraph separators.
bool forgesLogText(QChar c);

// The text with each such character replaced by U+FFFD, so that the operator
// sees where the file held one.
QString recalledText(QString text);

} // namespace panel
