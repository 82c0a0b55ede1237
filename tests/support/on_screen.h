// A widget's pixels as they are on the screen: painted, blitted or left as
// they were. QWidget::grab paints the widget afresh and cannot tell them apart.
#pragma once

#include <QImage>
#include <QScreen>
#include <QWidget>

inline QImage onScreen(const QWidget *widget)
{
    const QWidget *window = widget->window();
    const QRect r(widget->mapTo(window, QPoint()), widget->size());
    return window->screen()->grabWindow(window->winId(), r.x(), r.y(), r.width(), r.height()).toImage();
}
