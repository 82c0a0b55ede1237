// Files read whole within a bound and written whole or not at all: the state
// file, and the files the operator chose (ui::readChosenFile,
// ui::writeChosenFile). `why` receives the system's reason for a failure.
#pragma once

#include <cstddef>
#include <string>

namespace panel {

bool readWholeFile(const std::string &path, std::size_t maxBytes, std::string &content, std::string &why);
bool writeWholeFile(const std::string &path, const std::string &content, std::string &why);

} // namespace panel
