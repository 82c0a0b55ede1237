// Input widgets that report exactly one commit per confirmed change:
// numerics commit once per arrow step, and once on Enter or on leaving the
// field when the typed value differs from the last committed one; text
// fields likewise on Enter or on leaving. Values set from code become the
// new baseline and never commit.
#pragma once

#include <QDoubleSpinBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QWheelEvent>
#include <algorithm>
#include <functional>

namespace panel {

// Enter, or leaving the field, confirms what was typed. Focus that leaves
// because a popup or another window took it is not the operator leaving the
// field: the typed text waits for a real confirmation.
template <class Widget, class Value>
class CommitOnConfirm : public Widget {
public:
    std::function<void()> onCommit;

protected:
    virtual Value current() const = 0;

    // The value now shown is the one in force.
    void takeAsCommitted() { committed_ = current(); }

    void commitIfChanged()
    {
        if (current() == committed_)
            return;
        committed_ = current();
        if (onCommit)
            onCommit();
    }

    void keyPressEvent(QKeyEvent *e) override
    {
        Widget::keyPressEvent(e);
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
            commitIfChanged();
    }

    void focusOutEvent(QFocusEvent *e) override
    {
        Widget::focusOutEvent(e);
        if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason)
            commitIfChanged();
    }

private:
    Value committed_{};
};

template <class SpinBox, class T>
class CommittingSpinBox : public CommitOnConfirm<SpinBox, T> {
public:
    static constexpr int kMaxTypedLength = 32;

    CommittingSpinBox()
    {
        this->setKeyboardTracking(false);
        this->setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
        // The wheel must never give focus, and without focus it never steps.
        this->setFocusPolicy(Qt::StrongFocus);
        this->setLocale(QLocale::c());
    }

    void setValueFromCode(T v)
    {
        // A field that already holds and shows that value is left alone: the
        // spin box would repaint itself all the same.
        const QString shown = this->textFromValue(std::clamp(v, this->minimum(), this->maximum()));
        if (shown != this->cleanText() || this->textFromValue(this->value()) != shown) {
            const QSignalBlocker block(this);
            this->setValue(v);
        }
        this->takeAsCommitted();
    }

    // PageUp, PageDown and Ctrl+wheel would move ten steps at once, and
    // each step goes to the card: one key press or wheel notch is one step.
    void stepBy(int steps) override
    {
        if (steps == 0)
            return;
        SpinBox::stepBy(steps > 0 ? 1 : -1);
        this->commitIfChanged();
    }

    // A text that is not a number within the limits stays on screen as typed,
    // so the operator sees it; Enter refuses it and the field goes back to the
    // value in force. Dropping the keys the field cannot use would send a value
    // nobody asked for: "1e2" would become 12, "5V" 5, and cutting "12" to "1"
    // or bringing it to the maximum likewise. Exponent notation is such a
    // text too, whatever its value: QDoubleSpinBox would take "1e0" as 1 while
    // "1e2" is refused for its range, and the field never shows one itself.
    QValidator::State validate(QString &input, int &pos) const override
    {
        const QValidator::State state = input.contains(QLatin1Char('e'), Qt::CaseInsensitive)
                                            ? QValidator::Invalid
                                            : SpinBox::validate(input, pos);
        if (state != QValidator::Invalid)
            return state;
        return input.size() <= kMaxTypedLength ? QValidator::Intermediate : QValidator::Invalid;
    }

protected:
    T current() const override { return this->value(); }

    void wheelEvent(QWheelEvent *e) override
    {
        if (!this->hasFocus() || this->isReadOnly()) {
            e->ignore(); // let the panel scroll instead
            return;
        }
        // Shift turns the wheel sideways on some systems; either way it is
        // one step per notch. Fine-grained wheels add up to a notch first.
        const QPoint delta = e->angleDelta();
        wheelDelta_ += delta.y() != 0 ? delta.y() : delta.x();
        e->accept();
        if (wheelDelta_ >= 120 || wheelDelta_ <= -120) {
            const int direction = wheelDelta_ > 0 ? 1 : -1;
            wheelDelta_ = 0;
            stepBy(direction);
        }
    }

private:
    int wheelDelta_ = 0;
};

using CommittingDoubleSpinBox = CommittingSpinBox<QDoubleSpinBox, double>;
using CommittingIntSpinBox = CommittingSpinBox<QSpinBox, int>;

// The entry limit holds for typing only: a longer text set from code stays
// whole, and the operator can shorten it but not lengthen it.
class CommittingLineEdit : public CommitOnConfirm<QLineEdit, QString> {
public:
    explicit CommittingLineEdit(int limit) : limit_(limit)
    {
        if (limit_ > 0) {
            setMaxLength(limit_);
            connect(this, &QLineEdit::textEdited, this,
                    [this] { setMaxLength(qMax(limit_, static_cast<int>(text().size()))); });
        }
    }

    void setTextFromCode(const QString &t)
    {
        const QSignalBlocker block(this);
        if (limit_ > 0)
            setMaxLength(qMax(limit_, static_cast<int>(t.size())));
        setText(t);
        takeAsCommitted();
    }

protected:
    QString current() const override { return text(); }

private:
    int limit_;
};

} // namespace panel
