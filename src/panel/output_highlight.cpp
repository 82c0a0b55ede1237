#include "panel/output_highlight.h"

#include "panel/image_cache.h"
#include "panel/paint_filter.h"

#include <QAbstractButton>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace panel {

namespace {

const int kPadX = 3; // backdrop around the box, pixels
const int kPadY = 1;

// The box as the style draws it in this state, drawn once per state: the
// style's check box is a dozen antialiased paths and gradients, and 42 of
// them repaint when every output is switched at once.
QPixmap boxImage(const QAbstractButton *button, QStyleOptionButton option)
{
    const ImageKey key = {1, static_cast<quint64>(option.state), static_cast<quint64>(option.palette.cacheKey()),
                          qHash(option.text)};
    return cachedImage(key, option.rect.size(), button->devicePixelRatioF(), Qt::transparent, [&](QPainter &p) {
        option.rect.moveTo(0, 0);
        button->style()->drawControl(QStyle::CE_CheckBox, &option, &p, button);
    });
}

} // namespace

void highlightWhenChecked(QAbstractButton *button)
{
    button->setMinimumSize(button->sizeHint() + QSize(2 * kPadX, 2 * kPadY));
    // Backdrop, then the box a little inset.
    beforePaint(button, [](QAbstractButton *b, QPaintEvent *) {
        QPainter painter(b);
        if (b->isChecked())
            painter.fillRect(b->rect(), QColor(b->isEnabled() ? 0x2e9d3f : 0x8fc79a));
        QStyleOptionButton option;
        option.initFrom(b);
        option.rect = b->rect().adjusted(kPadX, kPadY, -kPadX, -kPadY);
        option.text = b->text();
        option.state |= b->isChecked() ? QStyle::State_On : QStyle::State_Off;
        if (b->isDown())
            option.state |= QStyle::State_Sunken;
        painter.drawPixmap(option.rect.topLeft(), boxImage(b, option));
        return true;
    });
}

} // namespace panel
