// What an operator does to a control, on the real widgets.
#pragma once

#include <QString>

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

} // namespace operator_actions
