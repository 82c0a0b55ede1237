// The window of one loaded panel, owning its controls.
#pragma once

#include "panel/control.h"
#include "panel/panel_definition.h"
#include "panel/ui.h"

#include <QWidget>
#include <map>
#include <memory>
#include <vector>

namespace panel {

class TimerControl;

class PanelWindow : public QWidget {
public:
    PanelWindow(int handle, PanelDef def, std::map<int, ui::Callback> callbacks, void *callbackData);
    ~PanelWindow() override;

    const PanelDef &def() const { return def_; }
    Control *control(int id) const;
    ui::Callback callbackOf(int id) const;
    std::vector<TimerControl *> timers() const;
    void *callbackData() const { return callbackData_; }

    // The panel as shown: the client area's position on the desktop.
    int left() const;
    int top() const;
    void setLeft(int left);
    void setTop(int top);

protected:
    // The close box is the operator's request to end: it commits the panel's
    // close control, and the window stays until that control's callback acts.
    void closeEvent(QCloseEvent *event) override;

private:
    int handle_;
    PanelDef def_;
    std::map<int, ui::Callback> callbacks_;
    void *callbackData_;
    std::map<int, std::unique_ptr<Control>> controls_;
    int closeControl_ = 0;
};

} // namespace panel
