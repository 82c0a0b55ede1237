// A scroll bar that repaints only when what it shows changes. The message box
// sets its range at every line it takes in; with a long log the slider moves
// by less than a pixel, and the style's scroll bar cost several times the
// line itself to paint.
#pragma once

#include <QScrollBar>
#include <optional>

namespace panel {

class QuietScrollBar : public QScrollBar {
public:
    explicit QuietScrollBar(Qt::Orientation orientation, QWidget *parent = nullptr);

    // Range, page and value at once: the slider is repainted only if it
    // looks different after all three, not after each.
    void setState(int maximum, int page, int value);

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // What a change of range, step or value can change on screen.
    struct Look {
        QRect slider;
        bool atMinimum = false;
        bool atMaximum = false;
        bool operator==(const Look &) const = default;
    };
    Look look() const;

    std::optional<Look> painted_;
    bool settingState_ = false;
};

} // namespace panel
