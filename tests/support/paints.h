// Watches a widget's paint events while it lives: `onPaint` runs at each,
// with the region it paints.
#pragma once

#include <QEvent>
#include <QPaintEvent>
#include <QPointer>
#include <QWidget>
#include <functional>

class PaintWatch : public QObject {
public:
    PaintWatch(QWidget *widget, std::function<void(const QRect &)> onPaint)
        : widget_(widget), onPaint_(std::move(onPaint))
    {
        widget->installEventFilter(this);
    }
    ~PaintWatch() override
    {
        if (widget_)
            widget_->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            onPaint_(static_cast<QPaintEvent *>(e)->rect());
        return false;
    }

private:
    QPointer<QWidget> widget_;
    std::function<void(const QRect &)> onPaint_;
};
