// The process-wide side of the panel API: loaded panels, the dispatch of
// operator commits and timer ticks to callbacks, and the event loop.
//
// One callback runs at a time. A timer tick is dispatched only while the event
// loop runs, no callback is running and no popup is open; otherwise it is
// dropped, not queued. An operator commit that arrives while a callback runs
// (a field losing focus to a popup, the close box) waits until that callback
// has returned. A dimmed control takes no commit from the operator. Once the
// loop has been told to quit, no commit is dispatched any more. A command of
// the menu bar is dispatched as a commit is.
#pragma once

#include "panel/window/panel_window.h"
#include "panel/api/ui.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <utility>

class QEventLoop;

namespace panel {

class Toolkit {
public:
    static Toolkit &instance();

    int load(const std::string &path, const std::string &panelName, const ui::CallbackTable &callbacks,
             void *callbackData, std::string *error);
    void discard(int handle);
    PanelWindow *panel(int handle) const;
    // The control, or nullptr (with a warning: it is a programming error).
    Control *control(int handle, int id) const;
    // The window popups belong to: the most recently displayed panel.
    PanelWindow *popupParent() const;
    void displayed(int handle) { lastDisplayed_ = handle; }

    // Entry points of the widgets and timers.
    void operatorCommit(int handle, int id);
    void operatorCommand(int handle, int index);
    // A commit the program asks for itself (ui::requestCommit).
    void requestCommit(int handle, int id);
    void deliverTimerTick(int handle, int id);

    // Popups hold back timer ticks while they are open.
    void popupOpened() { ++popups_; }
    void popupClosed() { --popups_; }

    int run();
    void quit();
    bool quitRequested() const { return quitRequested_; }

private:
    friend class ToolkitTestAccess;
    Toolkit() = default;
    // A commit of a control, or a command chosen from the menu bar.
    struct Commit {
        int handle;
        int id; // the control, or the command's index
        bool command = false;
    };

    // A commit or command of the operator: at once, or after the callback that runs.
    void fromOperator(const Commit &commit);
    void dispatchCommit(const Commit &commit);
    void invoke(int handle, int id, int event);
    // Runs `call` as the panel's callback: ticks that fall due meanwhile
    // dropped, the repaint paced, then the commits that waited.
    void runAsCallback(PanelWindow &window, const std::function<void()> &call);
    void runPendingCommits();

    std::map<int, std::unique_ptr<PanelWindow>> panels_;
    int nextHandle_ = 1;
    int lastDisplayed_ = 0;
    int depth_ = 0;
    int popups_ = 0;
    bool loopActive_ = false;
    bool quitRequested_ = false;
    QEventLoop *loop_ = nullptr;
    std::deque<Commit> pendingCommits_;
};

// Counts a popup (or a dialog of the panel's own) as open while it lives, so
// that it holds back timer ticks.
class PopupScope {
public:
    PopupScope() { Toolkit::instance().popupOpened(); }
    ~PopupScope() { Toolkit::instance().popupClosed(); }
    PopupScope(const PopupScope &) = delete;
    PopupScope &operator=(const PopupScope &) = delete;
};

} // namespace panel
