#include "panel/window/frame_pacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace panel {

FramePacer::FramePacer(QWidget *window) : window_(window)
{
    window->installEventFilter(this);
    frameEnd_.setSingleShot(true);
    QObject::connect(&frameEnd_, &QTimer::timeout, [this] { paint(); });
}

bool FramePacer::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::UpdateRequest) {
        // Also before a paint the event loop makes: what changed outside a
        // callback (the start-up's discovery) shows with it.
        if (beforePaint)
            beforePaint();
        lastPaint_.start();
    }
    return false;
}

bool FramePacer::exposed() const
{
    // Before the window is exposed there is nothing to paint on.
    return window_->isVisible() && window_->windowHandle() && window_->windowHandle()->isExposed();
}

void FramePacer::paint()
{
    owed_ = false;
    frameEnd_.stop();
    if (!exposed())
        return;
    // Synchronously, and only what is pending; never the event loop, which
    // would dispatch input and ticks in the middle of an operation. An
    // update request that callbackEnded() took back is sent afresh here.
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(window_, &request);
    lastPaint_.start(); // from its end: the next step starts then
}

void FramePacer::drawEvents()
{
    const bool stepTookAFrame = step_.isValid() && step_.elapsed() >= kFrameMs;
    if (!lastPaint_.isValid() || lastPaint_.elapsed() >= kFrameMs || stepTookAFrame)
        paint();
    else
        owed_ = true;
    step_.start(); // the next step starts once this one's paint is done
}

void FramePacer::payOwed()
{
    if (owed_)
        paint();
}

void FramePacer::callbackEnded()
{
    step_.invalidate();
    if (beforePaint)
        beforePaint();
    if (!lastPaint_.isValid() || lastPaint_.elapsed() >= kFrameMs || !exposed()) {
        owed_ = false; // the event loop paints what is pending at once
        return;
    }
    // Painted less than a frame ago: what changed since waits for the
    // frame's end. Without its posted request the window asks for no other
    // paint until it has been painted.
    QCoreApplication::removePostedEvents(window_, QEvent::UpdateRequest);
    if (!frameEnd_.isActive())
        frameEnd_.start(kFrameMs - static_cast<int>(lastPaint_.elapsed()));
}

} // namespace panel
