// What a text recalled from a state file may hold. The file is outside input:
// anyone can edit it, and its texts end up in every log line of their channel
// and in the discovery line of the address.
#pragma once

#include <QChar>
#include <QString>

namespace panel {

// Whether `c` would forge a log line (ui::forgesLogText).
bool forgesLogText(QChar c);

// The text with each such character replaced by U+FFFD, so that the operator
// sees where the file held one.
QString recalledText(QString text);

} // namespace panel
