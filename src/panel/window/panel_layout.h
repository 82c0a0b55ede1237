// Arranges the controls of a panel inside its window so that, on every
// screen, what must be seen at once is seen without scrolling: all channels
// at a glance (the cells view), the panel-wide buttons, QUIT and the message
// box. The module blocks with their fields scroll where the screen is short.
#pragma once

#include "panel/controls/control.h"

#include <QSize>
#include <functional>
#include <vector>

class QGridLayout;
class QLabel;
class QScrollArea;
class QWidget;

namespace panel {

class CellsView;

using ControlLookup = std::function<Control *(const QString &constant)>;

// How the parts stand in a window of a given width: the module blocks in
// `columns` columns; the message box and the buttons beside the cells and the
// blocks, or, `stacked` on a narrow window, the buttons in a row under the
// cells and the message box beside the blocks.
struct Flow {
    int columns = 1;
    bool stacked = false;
    bool operator==(const Flow &) const = default;
};

// The widest flow that fits `width` pixels, for blocks `blockWidth` and cells
// `cellsWidth` wide.
Flow flowFor(int width, int blockWidth, int cellsWidth);

class PanelLayout {
public:
    PanelLayout(const ControlLookup &lookup, QWidget *window);

    // Flows the parts for a window `width` pixels wide; nothing moves while
    // the flow stays the same.
    void reflow(int width);
    Flow flow() const { return flow_; }
    // The window's size that shows everything at once in the flow for `width`.
    QSize preferredSize(int width) const;
    // A line under the message box saying what the panel is connected to.
    void setStatusText(const QString &text);
    CellsView *cells() const { return cells_; }

private:
    void placeBlocks(Flow flow);
    void place(Flow flow);
    void showChannel(int channel);

    ControlLookup lookup_;
    QWidget *central_ = nullptr;
    CellsView *cells_ = nullptr;
    QScrollArea *scroll_ = nullptr;
    QGridLayout *grid_ = nullptr;
    std::vector<QWidget *> blocks_;
    std::vector<QWidget *> buttons_; // the panel-wide buttons
    QWidget *messageBox_ = nullptr;
    QWidget *quit_ = nullptr;
    QLabel *status_ = nullptr;
    int blockWidth_ = 0;
    int blockHeight_ = 0;
    Flow flow_;
    bool placed_ = false;
};

} // namespace panel
