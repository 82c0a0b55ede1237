#include "panel/toolkit/toolkit.h"

#include "panel/log/message_box_view.h"
#include "panel/controls/timer_control.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>

namespace panel {

Toolkit &Toolkit::instance()
{
    static Toolkit toolkit;
    return toolkit;
}

int Toolkit::load(const std::string &path, const std::string &panelName, const ui::CallbackTable &callbacks,
                  void *callbackData, std::string *error)
{
    const QString file = QString::fromStdString(path);
    const auto report = [error](const QString &why, int result) {
        if (error)
            *error = oneLine(why).toStdString();
        return result;
    };
    if (!QFileInfo::exists(file))
        return report(QString("panel definition %1 not found").arg(file), ui::kLoadFileMissing);
    QString why;
    std::optional<PanelDef> def = loadPanelDefinition(file, QString::fromStdString(panelName), &why);
    if (!def)
        return report(why, ui::kLoadInvalid);

    std::map<int, ui::Callback> resolved;
    for (const ControlDef &c : def->controls) {
        if (c.callback.isEmpty())
            continue;
        const auto found = callbacks.find(c.callback.toStdString());
        if (found == callbacks.end() || !found->second)
            return report(QString("%1: control %2 names the unknown callback %3").arg(file, c.constant, c.callback),
                          ui::kLoadUnknownCallback);
        resolved[c.id] = found->second;
    }
    const int handle = nextHandle_++;
    PanelWindow::Dispatch dispatch{[this, handle](int id) { operatorCommit(handle, id); },
                                   [this, handle](int id) { deliverTimerTick(handle, id); },
                                   [this, handle](int index) { operatorCommand(handle, index); }};
    panels_[handle] = std::make_unique<PanelWindow>(std::move(*def), std::move(resolved), callbackData, std::move(dispatch));
    return handle;
}

void Toolkit::discard(int handle)
{
    if (lastDisplayed_ == handle)
        lastDisplayed_ = 0;
    pendingCommits_.erase(std::remove_if(pendingCommits_.begin(), pendingCommits_.end(),
                                         [handle](const Commit &c) { return c.handle == handle; }),
                          pendingCommits_.end());
    panels_.erase(handle);
}

PanelWindow *Toolkit::panel(int handle) const
{
    const auto found = panels_.find(handle);
    return found == panels_.end() ? nullptr : found->second.get();
}

Control *Toolkit::control(int handle, int id) const
{
    PanelWindow *window = panel(handle);
    Control *c = window ? window->control(id) : nullptr;
    if (!c)
        qWarning("tavr: no control %d on panel %d", id, handle);
    return c;
}

PanelWindow *Toolkit::popupParent() const { return panel(lastDisplayed_); }

void Toolkit::operatorCommit(int handle, int id) { fromOperator({handle, id}); }

void Toolkit::operatorCommand(int handle, int index) { fromOperator({handle, index, true}); }

void Toolkit::fromOperator(const Commit &commit)
{
    if (quitRequested_)
        return;
    if (depth_ > 0)
        pendingCommits_.push_back(commit); // after the callback that runs
    else
        dispatchCommit(commit);
}

void Toolkit::requestCommit(int handle, int id)
{
    if (quitRequested_)
        return;
    if (depth_ == 0 && loopActive_) {
        dispatchCommit({handle, id});
        return;
    }
    pendingCommits_.push_front({handle, id});
}

void Toolkit::dispatchCommit(const Commit &commit)
{
    PanelWindow *window = panel(commit.handle);
    if (!window)
        return;
    if (commit.command) {
        if (const ui::Command command = window->commandOf(commit.id))
            runAsCallback(*window, [&] { command(commit.handle, window->callbackData()); });
        return;
    }
    const Control *c = window->control(commit.id);
    if (!c || c->isDimmed())
        return;
    invoke(commit.handle, commit.id, ui::kCommit);
}

void Toolkit::deliverTimerTick(int handle, int id)
{
    if (!loopActive_ || depth_ > 0 || popups_ > 0)
        return;
    if (!ui::isTimerEnabled(handle, id))
        return;
    invoke(handle, id, ui::kTimerTick);
}

void Toolkit::invoke(int handle, int id, int event)
{
    PanelWindow *window = panel(handle);
    const ui::Callback callback = window ? window->callbackOf(id) : nullptr;
    if (callback)
        runAsCallback(*window, [&] { callback(handle, id, event, window->callbackData(), 0, 0); });
}

void Toolkit::runAsCallback(PanelWindow &window, const std::function<void()> &call)
{
    // A tick that falls due while the callback runs must be dropped: Qt would
    // deliver it late, right after the callback. Restarting the timer then
    // keeps the rhythm without that late tick.
    struct Due {
        TimerControl *timer;
        int remainingMs;
    };
    std::vector<Due> due;
    QElapsedTimer clock;
    if (depth_ == 0) {
        for (TimerControl *timer : window.timers())
            if (timer->isEnabled())
                due.push_back({timer, timer->remainingMs()});
        clock.start();
        window.pacer().callbackStarted();
    }
    ++depth_;
    call();
    --depth_;
    flushPendingText();
    for (const Due &d : due)
        if (d.timer->isEnabled() && clock.elapsed() >= d.remainingMs)
            d.timer->restart();
    if (depth_ == 0) {
        window.pacer().callbackEnded();
        runPendingCommits();
    }
}

void Toolkit::runPendingCommits()
{
    while (depth_ == 0 && !quitRequested_ && !pendingCommits_.empty()) {
        const Commit next = pendingCommits_.front();
        pendingCommits_.pop_front();
        dispatchCommit(next);
    }
}

int Toolkit::run()
{
    if (quitRequested_) {
        quitRequested_ = false;
        return 0;
    }
    QEventLoop loop;
    loop_ = &loop;
    loopActive_ = true;
    flushPendingText();
    for (const auto &[handle, window] : panels_)
        window->pacer().callbackEnded(); // what start-up left is painted, within its frame
    runPendingCommits();
    if (!quitRequested_)
        loop.exec();
    loopActive_ = false;
    loop_ = nullptr;
    quitRequested_ = false;
    return 0;
}

void Toolkit::quit()
{
    quitRequested_ = true;
    pendingCommits_.clear(); // the program is ending: no operation may start now
    if (loop_)
        loop_->exit(0);
}

} // namespace panel
