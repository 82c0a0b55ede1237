// The message box as the window places it: the box, and under it its find
// bar, hidden until the operator asks to search.
#pragma once

#include <QWidget>

namespace panel {

class FindBar;
class MessageBoxView;

class MessagePane : public QWidget {
public:
    explicit MessagePane(QWidget *parent = nullptr);

    MessageBoxView *box() const { return box_; }
    FindBar *findBar() const { return findBar_; }

private:
    MessageBoxView *box_;
    FindBar *findBar_;
};

} // namespace panel
