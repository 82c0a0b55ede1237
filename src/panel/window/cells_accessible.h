// The view of all channels as assistive technology walks it: a list of 49
// items in reading order, each position's row and then its six channels,
// each with its words ("Channel 17: 3.300 V set, ..."); pressing an item
// goes to that channel's voltage field.
#pragma once

#include <QAccessibleWidget>
#include <vector>

namespace panel {

class CellsView;

class CellsAccessible : public QAccessibleWidget {
public:
    explicit CellsAccessible(CellsView *view);
    ~CellsAccessible() override;

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    // The item of channel n.
    static int indexOfChannel(int n);
    // Tells assistive technology that channel n's item changed (`event`:
    // its name, or that it took the focus).
    static void announce(CellsView *view, int channel, QAccessible::Event event);

    // Installs the factory that gives every view of all channels this interface.
    static void install();

private:
    CellsView *view() const;
    mutable std::vector<QAccessibleInterface *> items_;
};

} // namespace panel
