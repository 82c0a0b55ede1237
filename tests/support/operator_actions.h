// What an operator does to a control, on the real widgets.
#pragma once

#include <QString>

#include <functional>

class QObject;
class QWidget;

namespace operator_actions {

// The widget the operator works with for a control of a loaded panel.
QWidget *inputOf(int panel, int control);

// Select all, type `text`, and press Enter unless `enter` is false.
void type(QWidget *input, const QString &text, bool enter = true);
// One click on the up or down arrow of a numeric control.
void clickArrow(QWidget *input, bool up);
// One click on a button or a switch.
void click(QWidget *input);
// Chooses the command `text` (without its "&") from a menu of the window's
// menu bar.
void chooseCommand(QWidget *window, const QString &text);
// The field loses the keyboard focus, for the given reason.
void leave(QWidget *input, Qt::FocusReason reason = Qt::TabFocusReason);

// Runs `act` once, as soon as a modal dialog or popup menu of the class is
// the active one, polling while `owner` lives. A fixed delay loses the race on
// a loaded machine, where a file dialog can take longer to build than that.
void whenShown(QObject *owner, const char *className, std::function<void(QWidget *)> act);

} // namespace operator_actions
