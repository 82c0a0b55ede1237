// A round indicator lamp with a label beside it. Qt has no lamp: it paints
// itself, from its two colours, and tells assistive technology its state in
// words.
#pragma once

#include <QColor>
#include <QWidget>

namespace panel {

class LedWidget : public QWidget {
    Q_OBJECT

public:
    LedWidget(const QString &label, QColor onColor, QColor offColor, bool on, QWidget *parent = nullptr);

    bool isOn() const { return on_; }
    void setOn(bool on);

    // What the lamp says, by how it was last set: to the other state (a lamp
    // that blinks), to on or to off again, or not at all since it was made.
    struct StateWords {
        QString changing, steadyOn, steadyOff, unset;
    };
    void setStateWords(StateWords words);
    const QString &stateWords() const;
    // Set off again after it was off: a lamp kept dark.
    bool keptOff() const { return lastSet_ == LastSet::Kept && !on_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QRect lampArea() const;
    void describe();

    QString label_;
    QColor onColor_, offColor_;
    bool on_ = false;
    enum class LastSet { Never, Changed, Kept } lastSet_ = LastSet::Never;
    StateWords words_;
};

} // namespace panel
