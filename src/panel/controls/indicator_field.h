// A one-line text the program writes and the operator only reads. A text
// wider than the field is shown shortened in the middle, so that its end
// (where an identity text carries the serial number) stays in view; the
// tooltip and the accessible description hold the whole text, and with the
// keyboard focus the field shows it whole, to be read by moving through it
// and copied.
#pragma once

#include <QLineEdit>

namespace panel {

class IndicatorField : public QLineEdit {
public:
    IndicatorField();

    // The whole text, whatever the field shows of it.
    const QString &wholeText() const { return whole_; }
    void setWholeText(const QString &text);

protected:
    // Shows the text anew when the focus comes or goes and when resized.
    bool event(QEvent *event) override;

private:
    void showFitting();

    QString whole_;
};

} // namespace panel
