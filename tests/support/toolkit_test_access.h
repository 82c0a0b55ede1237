// The only way into the toolkit adapter beside the panel API, for tests:
// standing where the event loop would run without running it, and reading
// what the widgets do not show.
#pragma once

#include "panel/controls/timer_control.h"
#include "panel/toolkit/toolkit.h"

namespace panel {

class ToolkitTestAccess {
public:
    // As if the event loop were running: ticks and the program's own commits
    // are dispatched at once.
    static void enterLoop() { Toolkit::instance().loopActive_ = true; }
    // As after the event loop has returned: the next one starts afresh.
    static void leaveLoop()
    {
        Toolkit::instance().loopActive_ = false;
        Toolkit::instance().quitRequested_ = false;
    }

    // The input widget of a control, as the operator works with it.
    static QWidget *inputOf(int panel, int control)
    {
        Control *c = Toolkit::instance().control(panel, control);
        return c ? c->input() : nullptr;
    }

    // A timer control's interval in milliseconds; -1 for no timer.
    static int timerIntervalMs(int panel, int control)
    {
        const auto *timer = dynamic_cast<const TimerControl *>(Toolkit::instance().control(panel, control));
        return timer ? timer->intervalMs() : -1;
    }
};

} // namespace panel
