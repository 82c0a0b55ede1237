// Arranges the controls of a panel inside its window.
#pragma once

#include "panel/control.h"

#include <functional>

class QWidget;

namespace panel {

using ControlLookup = std::function<Control *(const QString &constant)>;

// Places every shown control of the front panel into `content`: the module
// blocks, the panel-wide buttons and settings, and the message box beside them.
void arrangeControls(const ControlLookup &lookup, QWidget *content);

} // namespace panel
