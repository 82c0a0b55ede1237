// Files the operator chose in a file dialog: read whole within a bound, and
// written whole or not at all (ui::readChosenFile, ui::writeChosenFile).
#pragma once

#include <cstddef>
#include <string>

namespace panel {

bool readChosenFile(const std::string &path, std::size_t maxBytes, std::string &content, std::string &why);
bool writeChosenFile(const std::string &path, const std::string &content, std::string &why);

} // namespace panel
