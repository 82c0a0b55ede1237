// The controls the program was built for (from resources/tavr.uir at build
// time), and how a definition loaded at run time differs from them.
#pragma once

#include "panel/definition/panel_definition.h"

#include <QString>
#include <optional>

namespace panel {

// The first difference, in words that name the control: a control that is
// missing, has another identifier or kind, or is not one the program knows;
// or nothing when the definition holds exactly the compiled controls.
std::optional<QString> differenceFromCompiled(const PanelDef &def);

} // namespace panel
