// Paints a panel's window at most once per display frame while operations
// run, and within a frame of their end: no display shows more, and a paint
// it cannot show is work no operator sees.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <functional>

class QWidget;

namespace panel {

class FramePacer : public QObject {
public:
    // One frame at 60 Hz, rounded down.
    static constexpr int kFrameMs = 16;

    explicit FramePacer(QWidget *window);

    // Runs before every paint of the window, and when a callback ends: what
    // shows values kept elsewhere marks itself for repainting.
    std::function<void()> beforePaint;

    // A callback starts: so does its first step.
    void callbackStarted() { step_.start(); }
    // "Repaint at once": paints now when the window's last paint is a frame
    // old or the step that just ended took a frame or more; otherwise the
    // paint is owed to the next of these past the frame's end.
    void drawEvents();
    // Pays an owed paint now: before a popup shows over the panel.
    void payOwed();
    // Back in the event loop, which paints what is pending; but not before
    // a frame has passed since the callback's last paint.
    void callbackEnded();

protected:
    // Notes every paint of the window, also those Qt makes of its own accord
    // (a button shows itself pressed at once).
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool exposed() const;
    void paint();

    QWidget *window_;
    QElapsedTimer lastPaint_;
    QElapsedTimer step_;
    bool owed_ = false;
    QTimer frameEnd_;
};

} // namespace panel
