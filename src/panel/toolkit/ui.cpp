// The panel API on Qt widgets.
#include "panel/api/ui.h"

#include "panel/state_file/whole_files.h"
#include "panel/toolkit/dialog_popups.h"
#include "panel/log/message_box_view.h"
#include "panel/definition/compiled_controls.h"
#include "panel/state_file/panel_state_file.h"
#include "panel/api/popups.h"
#include "panel/controls/timer_control.h"
#include "panel/toolkit/toolkit.h"
#include "panel/window/cells_view.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QPointer>
#include <QKeySequence>
#include <QThread>
#include <QTime>
#include <QWindow>
#include <cstdio>

namespace ui {

namespace {

using panel::Control;
using panel::Toolkit;

Control *find(int panel, int control) { return Toolkit::instance().control(panel, control); }

QString qt(const std::string &s) { return QString::fromStdString(s); }

PopupPresenter *&installedPresenter()
{
    static PopupPresenter *presenter = nullptr;
    return presenter;
}

bool &unattendedPopups()
{
    static bool unattended = false;
    return unattended;
}

// An unattended popup leaves its text where someone may still read it.
void toStandardError(const std::string &title, const std::string &text)
{
    std::string line = "tavr: ";
    line += title;
    line += ": ";
    line += text;
    if (line.back() != '\n')
        line += '\n';
    std::fputs(line.c_str(), stderr);
}

// A menu or modal dialog the operator opened (a context menu, the file
// dialog of Save As...) runs an event loop nested in the main one, which can
// return only after it: nobody may be there to close it. Closing a menu ends
// its loop; a dialog is rejected, as if cancelled.
void closeMenusAndDialogs()
{
    QList<QPointer<QWidget>> windows;
    for (QWidget *w : QApplication::topLevelWidgets())
        windows << w;
    for (const QPointer<QWidget> &w : windows) {
        if (!w || !w->isVisible())
            continue;
        if (w->windowType() == Qt::Popup)
            w->close();
        else if (auto *dialog = qobject_cast<QDialog *>(w.data()); dialog && dialog->isModal())
            dialog->reject();
        else if (w->isModal())
            w->close();
    }
}

// What is written so far is in the box and on the screen when a popup opens.
void showBeforePopup()
{
    panel::flushPendingText();
    if (panel::PanelWindow *window = Toolkit::instance().popupParent())
        window->pacer().payOwed();
}

} // namespace

int loadPanel(const std::string &path, const std::string &panelName, const CallbackTable &callbacks,
              void *callbackData, std::string *error)
{
    return Toolkit::instance().load(path, panelName, callbacks, callbackData, error);
}

std::string compiledControlsMismatch(int panel)
{
    const panel::PanelWindow *window = Toolkit::instance().panel(panel);
    if (!window)
        return "no such panel";
    const std::optional<QString> difference = panel::differenceFromCompiled(window->def());
    return difference ? difference->toStdString() : std::string();
}

void discardPanel(int panel) { Toolkit::instance().discard(panel); }

namespace {

const int kExposeTimeoutMs = 3000;

// A window is painted only once the window system has exposed it, and that
// news arrives as an event. Until then only the window system's own events
// are handled here: no input, no timer, no socket, so no callback can run.
void waitUntilExposed(QWidget *window)
{
    const QWindow *handle = window->windowHandle();
    QElapsedTimer clock;
    clock.start();
    while (handle && !handle->isExposed() && clock.elapsed() < kExposeTimeoutMs) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers |
                                        QEventLoop::X11ExcludeTimers);
        if (!handle->isExposed())
            QThread::msleep(2);
    }
}

} // namespace

void displayPanel(int panel)
{
    if (panel::PanelWindow *window = Toolkit::instance().panel(panel)) {
        window->fitToScreen();
        window->show();
        window->raise();
        Toolkit::instance().displayed(panel);
        waitUntilExposed(window);
        window->fitToScreen(); // now that the window frame is known
        window->repaint();
    }
}

int runUserInterface() { return Toolkit::instance().run(); }
void quitUserInterface() { Toolkit::instance().quit(); }
bool userInterfaceQuitRequested() { return Toolkit::instance().quitRequested(); }
void requestCommit(int panel, int control) { Toolkit::instance().requestCommit(panel, control); }

void addPanelCommand(int panel, const std::string &menu, const std::string &text, const std::string &shortcut,
                     Command command)
{
    if (panel::PanelWindow *window = Toolkit::instance().panel(panel))
        window->addCommand(qt(menu), qt(text), QKeySequence(qt(shortcut), QKeySequence::PortableText), command);
}

int32_t getInt(int panel, int control)
{
    const Control *c = find(panel, control);
    return c ? c->value().toInt() : 0;
}

double getDouble(int panel, int control)
{
    const Control *c = find(panel, control);
    return c ? c->value().toDouble() : 0.0;
}

std::string getText(int panel, int control)
{
    const Control *c = find(panel, control);
    return c ? c->value().toString().toStdString() : std::string();
}

void setInt(int panel, int control, int32_t value)
{
    if (Control *c = find(panel, control))
        c->setValue(value);
}

void setDouble(int panel, int control, double value)
{
    if (Control *c = find(panel, control))
        c->setValue(value);
}

void setText(int panel, int control, const std::string &text)
{
    if (Control *c = find(panel, control))
        c->setValue(qt(text));
}

void resetTextBox(int panel, int control, const std::string &text)
{
    if (Control *c = find(panel, control))
        c->replaceValue(qt(text));
}

bool isDimmed(int panel, int control)
{
    const Control *c = find(panel, control);
    return c && c->isDimmed();
}

void setDimmed(int panel, int control, bool dimmed)
{
    if (Control *c = find(panel, control))
        c->setDimmed(dimmed);
}

bool isVisible(int panel, int control)
{
    const Control *c = find(panel, control);
    return c && c->isVisible();
}

void setVisible(int panel, int control, bool visible)
{
    if (Control *c = find(panel, control))
        c->setVisible(visible);
}

std::string constantName(int panel, int control)
{
    const Control *c = find(panel, control);
    return c ? c->def().constant.toStdString() : std::string();
}

bool isTimerEnabled(int panel, int control)
{
    const auto *timer = dynamic_cast<const panel::TimerControl *>(find(panel, control));
    return timer && timer->isEnabled();
}

void setTimerEnabled(int panel, int control, bool enabled)
{
    if (auto *timer = dynamic_cast<panel::TimerControl *>(find(panel, control))) {
        timer->setEnabled(enabled);
        if (panel::PanelWindow *window = Toolkit::instance().panel(panel))
            window->refreshStatus();
    }
}

int panelLeft(int panel)
{
    const panel::PanelWindow *window = Toolkit::instance().panel(panel);
    return window ? window->left() : 0;
}

int panelTop(int panel)
{
    const panel::PanelWindow *window = Toolkit::instance().panel(panel);
    return window ? window->top() : 0;
}

void setPanelLeft(int panel, int left)
{
    if (panel::PanelWindow *window = Toolkit::instance().panel(panel))
        window->setLeft(left);
}

void setPanelTop(int panel, int top)
{
    if (panel::PanelWindow *window = Toolkit::instance().panel(panel))
        window->setTop(top);
}

std::string panelTitle(int panel)
{
    const panel::PanelWindow *window = Toolkit::instance().panel(panel);
    return window ? window->windowTitle().toStdString() : std::string();
}

void setPanelStatus(int panel, const std::string &text)
{
    if (panel::PanelWindow *window = Toolkit::instance().panel(panel))
        window->setStatusText(qt(text));
}

void setPanelTitle(int panel, const std::string &title)
{
    if (panel::PanelWindow *window = Toolkit::instance().panel(panel))
        window->setWindowTitle(qt(title));
}

void setChannelReadings(int panel, std::function<ChannelReadings(int channel)> source)
{
    if (panel::PanelWindow *window = Toolkit::instance().panel(panel))
        window->arrangement().cells()->setReadings(std::move(source));
}

void recordMessages(int panel, int control, const std::string &folder, const std::string &address)
{
    panel::PanelWindow *window = Toolkit::instance().panel(panel);
    Control *c = find(panel, control);
    auto *box = c ? qobject_cast<panel::MessageBoxView *>(c->input()) : nullptr;
    if (!window || !box)
        return;
    box->setRecord(nullptr);
    if (folder.empty()) {
        window->setRecordStatus("Record: off");
        return;
    }
    auto record = std::make_unique<panel::MessageRecord>(qt(folder), qt(address));
    record->onFile = [window](const QString &path) {
        window->setRecordStatus("Record: " + QDir::toNativeSeparators(path));
    };
    // Said once, where the operator looks and where a log of the process
    // keeps it; the panel goes on.
    record->onFailure = [window](const QString &why) {
        const QString at = QTime::currentTime().toString("HH:mm:ss");
        window->setRecordStatus(QString("Record: stopped at %1: %2").arg(at, why));
        const QString line = QString("tavr: the record of the messages stopped at %1: %2; the panel goes on\n").arg(at, why);
        std::fputs(line.toLocal8Bit().constData(), stderr);
    };
    box->setRecord(std::move(record));
    box->record()->start();
}

// Paints what is pending, synchronously, within a frame.
void processDrawEvents(int panel)
{
    panel::flushPendingText();
    if (panel::PanelWindow *window = Toolkit::instance().panel(panel))
        window->pacer().drawEvents();
}

void setPopupPresenter(PopupPresenter *presenter) { installedPresenter() = presenter; }

PopupPresenter *popupPresenter()
{
    static panel::DialogPopups dialogs;
    PopupPresenter *installed = installedPresenter();
    return installed ? installed : &dialogs;
}

void messagePopup(const std::string &title, const std::string &text)
{
    if (unattendedPopups()) {
        toStandardError(title, text);
        return;
    }
    showBeforePopup(); // the box shows the report before its popup
    const panel::PopupScope open;
    popupPresenter()->message(title, text);
}

int confirmPopup(const std::string &title, const std::string &text)
{
    if (unattendedPopups()) {
        toStandardError(title, text + "(answered \"no\": nobody at the panel)");
        return 2;
    }
    showBeforePopup();
    const panel::PopupScope open;
    return popupPresenter()->confirm(title, text);
}

std::string chooseFileToOpen(const std::string &title, const std::string &filter)
{
    if (unattendedPopups())
        return {};
    showBeforePopup();
    const panel::PopupScope open;
    return popupPresenter()->openFile(title, filter);
}

std::string chooseFileToSave(const std::string &title, const std::string &suggestedName, const std::string &filter)
{
    if (unattendedPopups())
        return {};
    showBeforePopup();
    const panel::PopupScope open;
    return popupPresenter()->saveFile(title, suggestedName, filter);
}

void setPopupsUnattended(bool unattended, bool closeOpen)
{
    unattendedPopups() = unattended;
    if (unattended && closeOpen) {
        popupPresenter()->closeOpen();
        closeMenusAndDialogs();
    }
}

bool readChosenFile(const std::string &path, std::size_t maxBytes, std::string &content, std::string &why)
{
    return panel::readWholeFile(path, maxBytes, content, why);
}

bool writeChosenFile(const std::string &path, const std::string &content, std::string &why)
{
    return panel::writeWholeFile(path, content, why);
}

int savePanelState(int panel, const std::string &path, int slot, std::string *reason)
{
    const panel::PanelWindow *window = Toolkit::instance().panel(panel);
    QString why = "no such panel";
    const int result = window ? panel::saveState(*window, qt(path), slot, &why) : panel::kStateWriteFailed;
    if (result != panel::kStateOk && reason)
        *reason = why.toStdString();
    return result;
}

int recallPanelState(int panel, const std::string &path, int slot)
{
    panel::PanelWindow *window = Toolkit::instance().panel(panel);
    return window ? panel::recallState(*window, qt(path), slot) : panel::kStateUnreadable;
}

} // namespace ui
