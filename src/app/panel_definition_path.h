// Where the program finds its panel definition.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

// The panel definition's file name.
inline constexpr char kPanelDefinitionFile[] = "tavr.uir";

// Looks for the panel definition first in `programDir`, the directory of the
// program's real file (a build tree keeps it there), then in `dataFromBin`
// seen from that directory (an installed program: ../share/tavr). Returns the
// first file found; when neither holds one, nothing, and `error` names both
// places looked at. A file found is not read here: a broken one is reported
// by its load, not passed over.
std::optional<std::filesystem::path> findPanelDefinition(const std::filesystem::path &programDir,
                                                         const std::filesystem::path &dataFromBin,
                                                         std::string *error);
