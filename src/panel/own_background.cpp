#include "panel/own_background.h"

#include "panel/paint_filter.h"

#include <QPainter>
#include <QWidget>

namespace panel {

namespace {

// The brush the nearest ancestor that paints its background paints it with.
QBrush backgroundBehind(const QWidget *widget)
{
    const QWidget *w = widget->parentWidget();
    while (w && !w->isWindow() && !w->autoFillBackground())
        w = w->parentWidget();
    if (!w)
        return widget->palette().brush(QPalette::Window);
    return w->palette().brush(w->backgroundRole());
}

} // namespace

void paintOwnBackground(QWidget *widget)
{
    if (!widget || widget->testAttribute(Qt::WA_OpaquePaintEvent))
        return;
    widget->setAttribute(Qt::WA_OpaquePaintEvent);
    // Fills what is to be painted, then lets the widget paint itself over it.
    beforePaint(widget, [](QWidget *w, QPaintEvent *event) {
        const QBrush brush = backgroundBehind(w);
        QPainter painter(w);
        for (const QRect &r : event->region())
            painter.fillRect(r, brush);
        return false;
    });
    // The text field inside a spin box stays as it is: with both opaque, Qt
    // painted the field twice over when a whole column of spin boxes changed
    // (a reset dims 84), once on its own and once more through its spin box.
}

} // namespace panel
