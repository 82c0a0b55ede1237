#include "panel/panel_window.h"

#include "panel/panel_layout.h"
#include "panel/timer_control.h"
#include "panel/toolkit.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

namespace panel {

PanelWindow::PanelWindow(int handle, PanelDef def, std::map<int, ui::Callback> callbacks, void *callbackData)
    : handle_(handle), def_(std::move(def)), callbacks_(std::move(callbacks)), callbackData_(callbackData)
{
    setWindowTitle(def_.title);
    for (const ControlDef &c : def_.controls) {
        std::unique_ptr<Control> control = createControl(c, def_.baseDir);
        const int id = c.id;
        control->setCommitHandler([this, id] { Toolkit::instance().operatorCommit(handle_, id); });
        if (auto *timer = dynamic_cast<TimerControl *>(control.get()))
            timer->onTick = [this, id] { Toolkit::instance().deliverTimerTick(handle_, id); };
        if (c.constant == def_.closeControl)
            closeControl_ = id;
        controls_[id] = std::move(control);
    }

    // The panel scrolls when the screen is smaller than the panel; the wheel
    // over a numeric without focus scrolls the panel, never the value.
    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *content = new QWidget;
    arrangeControls(
        [this](const QString &constant) -> Control * {
            const ControlDef *c = def_.find(constant);
            return c ? control(c->id) : nullptr;
        },
        content);
    scroll->setWidget(content);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);

    for (auto &[id, control] : controls_) {
        control->setVisible(control->def().visible);
        if (auto *timer = dynamic_cast<TimerControl *>(control.get()))
            timer->setEnabled(control->def().timerEnabled);
    }

    ensurePolished(); // sizes depend on the style
    QSize size = content->sizeHint();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize());
    setGeometry(def_.left, def_.top, size.width(), size.height());
}

PanelWindow::~PanelWindow()
{
    // Widgets go first: none of them may report to a control that is gone.
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        delete child;
    delete layout();
}

Control *PanelWindow::control(int id) const
{
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second.get();
}

ui::Callback PanelWindow::callbackOf(int id) const
{
    const auto found = callbacks_.find(id);
    return found == callbacks_.end() ? nullptr : found->second;
}

std::vector<TimerControl *> PanelWindow::timers() const
{
    std::vector<TimerControl *> found;
    for (const auto &[id, control] : controls_)
        if (auto *timer = dynamic_cast<TimerControl *>(control.get()))
            found.push_back(timer);
    return found;
}

int PanelWindow::left() const { return geometry().x(); }
int PanelWindow::top() const { return geometry().y(); }

void PanelWindow::setLeft(int left)
{
    QRect g = geometry();
    g.moveLeft(left);
    setGeometry(g);
}

void PanelWindow::setTop(int top)
{
    QRect g = geometry();
    g.moveTop(top);
    setGeometry(g);
}

void PanelWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    if (closeControl_)
        Toolkit::instance().operatorCommit(handle_, closeControl_);
}

} // namespace panel
