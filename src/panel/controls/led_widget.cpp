#include "panel/controls/led_widget.h"

#include <QAccessibleWidget>
#include <QPaintEvent>
#include <QPainter>

namespace panel {

namespace {
const int kLamp = 14; // lamp diameter, pixels
const int kGap = 5;

// Assistive technology hears a lamp as a text (its name and state in words),
// not as a plain area; an indicator role reaches AT-SPI as "unknown".
QAccessibleInterface *lampInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String("panel::LedWidget") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::StaticText);
    return nullptr;
}
} // namespace

LedWidget::LedWidget(const QString &label, QColor onColor, QColor offColor, bool on, QWidget *parent)
    : QWidget(parent), label_(label), onColor_(onColor), offColor_(offColor), on_(on)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // It paints its own background, so a blink repaints nothing beneath it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    static const bool factoryInstalled = (QAccessible::installFactory(lampInterface), true);
    (void)factoryInstalled;
}

void LedWidget::setStateWords(StateWords words)
{
    words_ = std::move(words);
    describe();
}

const QString &LedWidget::stateWords() const
{
    return lastSet_ == LastSet::Never     ? words_.unset
           : lastSet_ == LastSet::Changed ? words_.changing
           : on_                          ? words_.steadyOn
                                          : words_.steadyOff;
}

void LedWidget::describe()
{
    if (stateWords() != accessibleDescription())
        setAccessibleDescription(stateWords());
}

void LedWidget::setOn(bool on)
{
    lastSet_ = on_ == on ? LastSet::Kept : LastSet::Changed;
    if (on_ != on) {
        on_ = on;
        update(lampArea()); // the label stays as it is: a blinking lamp repaints only itself
    }
    describe();
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
