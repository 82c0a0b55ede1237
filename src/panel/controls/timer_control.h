// A timer control: no widget, ticks at its interval while enabled.
#pragma once

#include "panel/controls/control.h"

#include <QTimer>
#include <functional>

namespace panel {

class TimerControl : public Control {
public:
    explicit TimerControl(const ControlDef &def) : Control(def)
    {
        timer_.setInterval(static_cast<int>(def.intervalSeconds * 1000.0 + 0.5));
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (onTick)
                onTick();
        });
    }

    std::function<void()> onTick;

    bool isEnabled() const { return timer_.isActive(); }
    int intervalMs() const { return timer_.interval(); }
    // Milliseconds until the next tick is due; 0 when overdue, -1 when stopped.
    int remainingMs() const { return timer_.remainingTime(); }
    // Starts the interval afresh: a tick already due is not delivered.
    void restart() { timer_.start(); }
    void setEnabled(bool enabled)
    {
        if (enabled)
            timer_.start();
        else
            timer_.stop();
    }

private:
    QTimer timer_;
};

} // namespace panel
