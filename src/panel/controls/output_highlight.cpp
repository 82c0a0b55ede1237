#include "panel/controls/output_highlight.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace panel {

namespace {

const QMargins kGround(3, 1, 3, 1); // green around the box, pixels

// The button's own paint: the ground while checked, then the style's check
// box inset by the margins.
class CheckedGround : public QObject {
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
            painter.fillRect(button->rect(), QColor(button->isEnabled() ? kOutputOnColour : 0x8fc79a));
        QStyleOptionButton option;
        option.initFrom(button);
        option.rect = button->rect() - kGround;
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
    button->setMinimumSize(button->sizeHint().grownBy(kGround));
    button->installEventFilter(new CheckedGround(button));
}

} // namespace panel
