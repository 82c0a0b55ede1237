#include "panel/quiet_scroll_bar.h"

#include "panel/own_background.h"

#include <QStyle>
#include <QStyleOptionSlider>

namespace panel {

QuietScrollBar::QuietScrollBar(Qt::Orientation orientation, QWidget *parent) : QScrollBar(orientation, parent)
{
    // Nor does the window behind it repaint when it does.
    paintOwnBackground(this);
}

QuietScrollBar::Look QuietScrollBar::look() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
            value() == minimum(), value() == maximum()};
}

void QuietScrollBar::setState(int maximum, int page, int value)
{
    settingState_ = true;
    setRange(0, maximum);
    setPageStep(page);
    setSingleStep(1);
    setValue(value);
    settingState_ = false;
    if (!painted_ || *painted_ != look())
        update();
}

void QuietScrollBar::sliderChange(SliderChange change)
{
    // A repaint already asked for stays asked for; this only asks for none.
    if (settingState_ || (painted_ && *painted_ == look()))
        return;
    QScrollBar::sliderChange(change);
}

void QuietScrollBar::paintEvent(QPaintEvent *event)
{
    painted_ = look();
    QScrollBar::paintEvent(event);
}

} // namespace panel
