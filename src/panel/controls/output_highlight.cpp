#include "panel/controls/output_highlight.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace panel {

namespace {

const int kPadX = 3; // backdrop around the box, pixels
const int kPadY = 1;

// Paints the check box itself, inset by the padding, over the backdrop.
class CheckedBackdrop : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        auto *button = static_cast<QAbstractButton *>(watched);
        QPainter painter(button);
        if (button->isChecked())
            painter.fillRect(button->rect(), QColor(button->isEnabled() ? 0x2e9d3f : 0x8fc79a));
        QStyleOptionButton option;
        option.initFrom(button);
        option.rect = button->rect().adjusted(kPadX, kPadY, -kPadX, -kPadY);
        option.text = button->text();
        option.state |= button->isChecked() ? QStyle::State_On : QStyle::State_Off;
        if (button->isDown())
            option.state |= QStyle::State_Sunken;
        button->style()->drawControl(QStyle::CE_CheckBox, &option, &painter, button);
        return true;
    }
};

} // namespace

void highlightWhenChecked(QAbstractButton *button)
{
    button->setMinimumSize(button->sizeHint() + QSize(2 * kPadX, 2 * kPadY));
    button->installEventFilter(new CheckedBackdrop(button));
}

} // namespace panel
