#include "panel/window/panel_window.h"

#include "panel/window/cells_view.h"
#include "panel/window/panel_layout.h"
#include "panel/controls/timer_control.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QResizeEvent>
#include <algorithm>

namespace panel {

PanelWindow::PanelWindow(PanelDef def, std::map<int, ui::Callback> callbacks, void *callbackData, Dispatch dispatch)
    : def_(std::move(def)), callbacks_(std::move(callbacks)), callbackData_(callbackData), dispatch_(std::move(dispatch))
{
    setWindowTitle(def_.title);
    for (const ControlDef &c : def_.controls) {
        std::unique_ptr<Control> control = createControl(c, def_.baseDir);
        const int id = c.id;
        control->setCommitHandler([this, id] { dispatch_.commit(id); });
        if (auto *timer = dynamic_cast<TimerControl *>(control.get())) {
            timer->onTick = [this, id] { dispatch_.tick(id); };
            timers_.push_back(timer);
        }
        if (c.constant == def_.closeControl)
            closeControl_ = id;
        controls_[id] = std::move(control);
    }

    // The module blocks scroll vertically when the screen is smaller than
    // the panel; the wheel over a numeric without focus scrolls them, never
    // the value.
    layout_ = std::make_unique<PanelLayout>(
        [this](const QString &constant) -> Control * {
            const ControlDef *c = def_.find(constant);
            return c ? control(c->id) : nullptr;
        },
        this);

    for (auto &[id, control] : controls_) {
        control->setVisible(control->def().visible);
        if (auto *timer = dynamic_cast<TimerControl *>(control.get()))
            timer->setEnabled(control->def().timerEnabled);
    }

    pacer_.beforePaint = [this] { layout_->cells()->refresh(); };
    ensurePolished(); // sizes depend on the style
    QRect wanted(def_.left, def_.top, 0, 0);
    wanted.setSize(preferredSize(1 << 20));
    setGeometry(wanted);
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

const std::vector<TimerControl *> &PanelWindow::timers() const { return timers_; }

void PanelWindow::addCommand(const QString &menu, const QString &text, const QKeySequence &shortcut,
                             ui::Command command)
{
    if (!menuBar_) {
        menuBar_ = new QMenuBar(this);
        menuBar_->setAccessibleName("Menu bar");
        layout()->setMenuBar(menuBar_);
    }
    QMenu *into = nullptr;
    for (QAction *a : menuBar_->actions())
        if (a->menu() && a->text() == menu)
            into = a->menu();
    if (!into) {
        into = menuBar_->addMenu(menu);
        into->setAccessibleName(QString(menu).remove('&'));
    }
    const int index = static_cast<int>(commands_.size());
    commands_.push_back(command);
    QAction *action = into->addAction(text);
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [this, index] { dispatch_.command(index); });
}

ui::Command PanelWindow::commandOf(int index) const
{
    return index >= 0 && index < static_cast<int>(commands_.size()) ? commands_[static_cast<std::size_t>(index)]
                                                                     : nullptr;
}

QSize PanelWindow::preferredSize(int width) const
{
    QSize size = layout_->preferredSize(width);
    if (menuBar_ && !menuBar_->isNativeMenuBar())
        size.rheight() += menuBar_->sizeHint().height();
    return size;
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

QRect PanelWindow::fitted(const QRect &wanted, const QSize &preferred, const QRect &available, const QMargins &frame)
{
    const QRect room = available.marginsRemoved(frame);
    QRect g(wanted.topLeft(), preferred.boundedTo(room.size()));
    // Moved in, not dropped: the nearest place where the whole frame shows.
    g.moveLeft(std::clamp(g.left(), room.left(), room.right() + 1 - g.width()));
    g.moveTop(std::clamp(g.top(), room.top(), room.bottom() + 1 - g.height()));
    return g;
}

QScreen *PanelWindow::openingScreen() const
{
    if (QScreen *screen = QGuiApplication::screenAt(geometry().topLeft()))
        return screen;
    // A position on no screen (a monitor gone since): the nearest screen.
    QScreen *nearest = QGuiApplication::primaryScreen();
    qint64 best = -1;
    for (QScreen *screen : QGuiApplication::screens()) {
        const QRect a = screen->availableGeometry();
        const QPoint p = geometry().topLeft();
        const qint64 dx = std::max({a.left() - p.x(), 0, p.x() - a.right()});
        const qint64 dy = std::max({a.top() - p.y(), 0, p.y() - a.bottom()});
        if (best < 0 || dx * dx + dy * dy < best) {
            best = dx * dx + dy * dy;
            nearest = screen;
        }
    }
    return nearest;
}

void PanelWindow::fitToScreen()
{
    QScreen *screen = openingScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    QMargins frame;
    if (isVisible()) {
        const QRect f = frameGeometry(), g = geometry();
        frame = QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom());
    }
    const QSize preferred = preferredSize(available.width() - frame.left() - frame.right());
    const QRect target = fitted(geometry(), preferred, available, frame);
    layout_->reflow(target.width()); // its minimum size for that width first
    layout()->activate();
    setGeometry(target);
}

void PanelWindow::setStatusText(const QString &text)
{
    statusText_ = text;
    refreshStatus();
}

void PanelWindow::setRecordStatus(const QString &text)
{
    recordStatus_ = text;
    refreshStatus();
}

void PanelWindow::refreshStatus()
{
    bool polling = false;
    for (const TimerControl *timer : timers())
        polling = polling || timer->isEnabled();
    QString line = statusText_;
    if (!recordStatus_.isEmpty())
        line += (line.isEmpty() ? "" : "\n") + recordStatus_;
    if (!timers().empty()) {
        if (!line.isEmpty())
            line += "\n";
        line += polling ? "Interlock poll: running" : "Interlock poll: stopped";
    }
    layout_->setStatusText(line);
}

void PanelWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layout_->reflow(width());
}

void PanelWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    if (closeControl_)
        dispatch_.commit(closeControl_);
}

} // namespace panel
