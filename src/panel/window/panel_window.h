// The window of one loaded panel, owning its controls.
#pragma once

#include "panel/controls/control.h"
#include "panel/window/frame_pacer.h"
#include "panel/definition/panel_definition.h"
#include "panel/window/panel_layout.h"
#include "panel/api/ui.h"

#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QKeySequence;
class QMenuBar;
class QScreen;

namespace panel {

class TimerControl;

class PanelWindow : public QWidget {
public:
    // Where the operator's commits and the timers' ticks go, by control.
    struct Dispatch {
        std::function<void(int control)> commit;
        std::function<void(int control)> tick;
        std::function<void(int command)> command; // by its index, from 0
    };

    PanelWindow(PanelDef def, std::map<int, ui::Callback> callbacks, void *callbackData, Dispatch dispatch);
    ~PanelWindow() override;

    const PanelDef &def() const { return def_; }
    Control *control(int id) const;
    ui::Callback callbackOf(int id) const;
    const std::vector<TimerControl *> &timers() const;
    void *callbackData() const { return callbackData_; }

    // A command of the menu bar, outside the definition: choosing it goes to
    // the dispatch by its index. The menu bar is made with the first command.
    void addCommand(const QString &menu, const QString &text, const QKeySequence &shortcut, ui::Command command);
    ui::Command commandOf(int index) const;

    // The panel as shown: the client area's position on the desktop.
    int left() const;
    int top() const;
    void setLeft(int left);
    void setTop(int top);

    // Keeps the window within the available area of the screen it opens on:
    // no larger than that area, and moved in where part of it would lie
    // outside. The blocks flow for the width it gets.
    void fitToScreen();
    // The client rectangle for a window that wants `wanted`'s position and
    // `preferred` size on `available`, with `frame` around the client area.
    static QRect fitted(const QRect &wanted, const QSize &preferred, const QRect &available, const QMargins &frame);
    PanelLayout &arrangement() const { return *layout_; }

    FramePacer &pacer() { return pacer_; }

    // The status line: `text`, what becomes of the message record, and
    // whether the panel's timer still runs.
    void setStatusText(const QString &text);
    void setRecordStatus(const QString &text);
    void refreshStatus();

protected:
    // The close box is the operator's request to end: it commits the panel's
    // close control, and the window stays until that control's callback acts.
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    PanelDef def_;
    std::map<int, ui::Callback> callbacks_;
    void *callbackData_;
    Dispatch dispatch_;
    std::map<int, std::unique_ptr<Control>> controls_;
    std::vector<TimerControl *> timers_; // the controls are fixed once the window is built
    int closeControl_ = 0;
    std::unique_ptr<PanelLayout> layout_;
    QString statusText_;
    QMenuBar *menuBar_ = nullptr;
    std::vector<ui::Command> commands_;
    QString recordStatus_;
    FramePacer pacer_{this};

    QScreen *openingScreen() const;
    // The layout's size for `width`, with the menu bar above it.
    QSize preferredSize(int width) const;
};

} // namespace panel
