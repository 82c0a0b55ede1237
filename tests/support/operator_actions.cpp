#include "support/operator_actions.h"

#include "support/toolkit_test_access.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QStyleOptionButton>
#include <QFocusEvent>
#include <QMenu>
#include <QMenuBar>
#include <QStyleOptionSpinBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace operator_actions {

QWidget *inputOf(int panel, int control)
{
    return panel::ToolkitTestAccess::inputOf(panel, control);
}

void type(QWidget *input, const QString &text, bool enter)
{
    ASSERT_NE(input, nullptr);
    QTest::keyClick(input, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(input, text);
    if (enter)
        QTest::keyClick(input, Qt::Key_Return);
}

void clickArrow(QWidget *input, bool up)
{
    auto *spin = qobject_cast<QAbstractSpinBox *>(input);
    ASSERT_NE(spin, nullptr) << "not a numeric control";
    QStyleOptionSpinBox option;
    option.initFrom(spin);
    option.subControls = QStyle::SC_All;
    option.buttonSymbols = spin->buttonSymbols();
    option.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
    const QRect rect = spin->style()->subControlRect(QStyle::CC_SpinBox, &option,
                                                     up ? QStyle::SC_SpinBoxUp : QStyle::SC_SpinBoxDown, spin);
    QTest::mouseClick(spin, Qt::LeftButton, Qt::NoModifier, rect.center());
}

void click(QWidget *input)
{
    ASSERT_NE(input, nullptr);
    QPoint at = input->rect().center();
    if (auto *box = qobject_cast<QCheckBox *>(input)) {
        // On the box itself: a switch's label may not reach the middle.
        QStyleOptionButton option;
        option.initFrom(box);
        at = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box).center();
    }
    QTest::mouseClick(input, Qt::LeftButton, Qt::NoModifier, at);
}

void leave(QWidget *input, Qt::FocusReason reason)
{
    ASSERT_NE(input, nullptr);
    QFocusEvent out(QEvent::FocusOut, reason);
    QApplication::sendEvent(input, &out);
}

void chooseCommand(QWidget *window, const QString &text)
{
    ASSERT_NE(window, nullptr);
    const auto *bar = window->findChild<QMenuBar *>();
    ASSERT_NE(bar, nullptr) << "no menu bar";
    for (const QAction *menu : bar->actions())
        for (QAction *command : menu->menu() ? menu->menu()->actions() : QList<QAction *>())
            if (QString(command->text()).remove('&') == text) {
                command->trigger();
                return;
            }
    ADD_FAILURE() << "no command " << text.toStdString();
}

void whenShown(QObject *owner, const char *className, std::function<void(QWidget *)> act)
{
    auto *poll = new QTimer(owner);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, className, act = std::move(act)] {
        QWidget *w = QApplication::activePopupWidget();
        if (!w)
            w = QApplication::activeModalWidget();
        if (w && w->inherits(className) && w->isVisible()) {
            poll->stop();
            act(w);
        }
    });
    poll->start();
}

} // namespace operator_actions
