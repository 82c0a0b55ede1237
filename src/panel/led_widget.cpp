#include "panel/led_widget.h"

#include "panel/image_cache.h"

#include <QPaintEvent>
#include <QPainter>

namespace panel {

namespace {
const int kLamp = 14; // lamp diameter, pixels
const int kGap = 5;

// The lamp as it is drawn over its background, drawn once per look: seven
// lamps blink at every poll tick, and an antialiased circle costs many times
// the copy of its image.
QPixmap lampImage(QColor fill, QColor rim, QColor background, qreal ratio)
{
    // The rim reaches half a pixel out of the lamp: one pixel around it.
    return cachedImage({2, fill.rgba64(), rim.rgba64()}, QSize(kLamp + 2, kLamp + 2), ratio, background,
                       [&](QPainter &p) {
                           p.setRenderHint(QPainter::Antialiasing);
                           p.setPen(QPen(rim, 1));
                           p.setBrush(fill);
                           p.drawEllipse(QRect(1, 1, kLamp, kLamp));
                       });
}

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
    const QBrush background = palette().window();
    p.fillRect(event->rect(), background);
    const int y = (height() - kLamp) / 2;
    QColor fill = on_ ? onColor_ : offColor_;
    if (!isEnabled())
        fill = fill.darker(150);
    p.drawPixmap(0, y - 1, lampImage(fill, palette().color(QPalette::Shadow), background.color(), devicePixelRatioF()));
    if (!label_.isEmpty() && !lampArea().contains(event->rect())) {
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        p.drawText(QRect(kLamp + 2 + kGap, 0, width() - kLamp - 2 - kGap, height()),
                   Qt::AlignVCenter | Qt::AlignLeft, label_);
    }
}

} // namespace panel
