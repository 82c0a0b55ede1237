// Arranges the controls of a panel inside its window, and flows them anew
// when the window is narrower than the whole arrangement.
#pragma once

#include "panel/controls/control.h"

#include <QSize>
#include <functional>
#include <vector>

class QGridLayout;
class QLabel;
class QScrollArea;
class QSplitter;
class QWidget;

namespace panel {

using ControlLookup = std::function<Control *(const QString &constant)>;

// How the blocks of the front panel stand in a window of a given width: in
// `columns` columns, with the message box beside them or below them.
struct Flow {
    int columns = 1;
    bool logBelow = false;
    bool operator==(const Flow &) const = default;
};

// The widest flow that fits `width` pixels for blocks `blockWidth` wide:
// four columns and the message box beside them on a wide screen; on a
// narrower one the message box goes below and the blocks take what is left.
Flow flowFor(int width, int blockWidth);

class PanelLayout {
public:
    // Places every shown control of the front panel into `window`: the module
    // blocks, which scroll vertically, and beside or below them the message
    // box with QUIT, which stay in view.
    PanelLayout(const ControlLookup &lookup, QWidget *window);

    // Flows the blocks for a window `width` pixels wide; nothing moves while
    // the flow stays the same.
    void reflow(int width);
    Flow flow() const { return flow_; }
    // The window's size that shows everything at once in the flow for `width`.
    QSize preferredSize(int width) const;
    // A line under the message box saying what the panel is connected to.
    void setStatusText(const QString &text);

private:
    void placeBlocks(Flow flow);
    void placeLog(Flow flow);

    QScrollArea *scroll_ = nullptr;
    QSplitter *split_ = nullptr;
    QGridLayout *grid_ = nullptr;
    std::vector<QWidget *> blocks_;
    QWidget *logPane_ = nullptr;
    QGridLayout *logGrid_ = nullptr;
    QWidget *picture_ = nullptr;
    QWidget *messageBox_ = nullptr;
    QWidget *footer_ = nullptr;
    QWidget *quit_ = nullptr;
    QLabel *status_ = nullptr;
    int blockWidth_ = 0;
    int blockHeight_ = 0;
    Flow flow_;
    bool placed_ = false;
};

} // namespace panel
