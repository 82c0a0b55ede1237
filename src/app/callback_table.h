// Every callback the panel definition names, by name.
#pragma once

#include "panel/api/ui.h"

const ui::CallbackTable &callbackTable();
