// Arranges the controls of a panel inside its window.
#pragma once

#include "panel/control.h"
#include "panel/panel_definition.h"

#include <functional>

class QWidget;

namespace panel {

using ControlLookup = std::function<Control *(const QString &constant)>;

// Places every shown control of `def` into `content`. The front panel of the
// battery-simulator cards gets its module-block arrangement; any other panel
// a plain form in identifier order.
void arrangeControls(const PanelDef &def, const ControlLookup &lookup, QWidget *content);

// The module-block arrangement; false when `def` is not that panel.
bool arrangeFrontPanel(const PanelDef &def, const ControlLookup &lookup, QWidget *content);

} // namespace panel
