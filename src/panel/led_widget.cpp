#include "panel/led_widget.h"

#include <QPaintEvent>
#include <QPainter>

namespace panel {

namespace {
const int kLamp = 14; // lamp diameter, pixels
const int kGap = 5;
} // namespace

LedWidget::LedWidget(const QString &label, QColor on, QColor off, QWidget *parent)
    : QWidget(parent), label_(label), onColor_(on), offColor_(off)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // It paints its own background, so a blink repaints nothing beneath it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LedWidget::setOn(bool on)
{
    if (on_ == on)
        return;
    on_ = on;
    update(lampArea()); // the label stays as it is: a blinking lamp repaints only itself
}

QRect LedWidget::lampArea() const { return {0, 0, kLamp + 2, height()}; }

QSize LedWidget::sizeHint() const
{
    const QFontMetrics fm(font());
    const int textWidth = label_.isEmpty() ? 0 : kGap + fm.horizontalAdvance(label_);
    return {kLamp + 2 + textWidth, qMax(kLamp + 2, fm.height())};
}

void LedWidget::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), palette().window());
    p.setRenderHint(QPainter::Antialiasing);
    const int y = (height() - kLamp) / 2;
    QColor fill = on_ ? onColor_ : offColor_;
    if (!isEnabled())
        fill = fill.darker(150);
    p.setPen(QPen(palette().color(QPalette::Shadow), 1));
    p.setBrush(fill);
    p.drawEllipse(QRect(1, y, kLamp, kLamp));
    if (!label_.isEmpty() && !lampArea().contains(event->rect())) {
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        p.drawText(QRect(kLamp + 2 + kGap, 0, width() - kLamp - 2 - kGap, height()),
                   Qt::AlignVCenter | Qt::AlignLeft, label_);
    }
}

} // namespace panel
