// Code of the panel's own that runs when a widget is about to paint, in the
// widget's paint event, before the widget's own paintEvent.
#pragma once

#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QWidget>
#include <utility>

namespace panel {

// `paint(widget, event)` returns true when it painted the widget whole, and
// the widget's own paintEvent is then left out.
template <class Widget, class Paint>
void beforePaint(Widget *widget, Paint paint)
{
    class Filter : public QObject {
    public:
        Filter(QObject *parent, Paint p) : QObject(parent), paint_(std::move(p)) {}

    protected:
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            return event->type() == QEvent::Paint
                && paint_(static_cast<Widget *>(watched), static_cast<QPaintEvent *>(event));
        }

    private:
        Paint paint_;
    };
    widget->installEventFilter(new Filter(widget, std::move(paint)));
}

} // namespace panel
