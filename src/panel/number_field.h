// The text field inside the panel's spin boxes. Without the keyboard focus it
// paints its number itself, where and as the line edit would: the line edit
// measures its text's ink and lays it out again at every paint, which made a
// dimmed column of spin boxes (a reset dims 84) cost twice what it does now.
// With the focus (cursor, selection) the line edit paints as always. Dimmed
// or restored with its spin box, it is repainted within the spin box's repaint.
#pragma once

#include <QLineEdit>
#include <QStaticText>

namespace panel {

class NumberField : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    bool paintUnfocused();

    QStaticText shown_;
};

} // namespace panel
