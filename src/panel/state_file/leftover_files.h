// What a save killed half-way (kill -9, a power loss) leaves behind: its
// hidden temporary file, complete or not, beside the state file.
#pragma once

#include <QString>

namespace panel {

// Removes the temporary files of earlier saves of `stateFile`: exactly "."
// + the file's name + "." + six letters or digits (mkstemp's), and only
// regular files, never through a link. Nothing else in the folder is touched.
// Only the one panel that holds the state file saves, so none of them is
// being written.
void removeLeftoverTemporaries(const QString &stateFile);

} // namespace panel
