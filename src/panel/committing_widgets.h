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
#include <QRegularExpression>
#include <QWheelEvent>
#include <type_traits>
#include <functional>

namespace panel {

// Focus that leaves because a popup or another window took it is not the
// operator leaving the field: the typed text waits for a real confirmation.
inline bool isLeavingField(const QFocusEvent *e)
{
    return e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason;
}

inline bool isEnterKey(const QKeyEvent *e)
{
    return e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
}

template <class SpinBox, class T>
class CommittingSpinBox : public SpinBox {
public:
    std::function<void()> onCommit;

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
        const QSignalBlocker block(this);
        this->setValue(v);
        committed_ = this->value();
    }

    void stepBy(int steps) override
    {
        SpinBox::stepBy(steps);
        commitIfChanged();
    }

    // A number outside the limits stays on screen as typed, so the operator
    // sees it; Enter refuses it and the field goes back to the value in force.
    // Cutting "12" to "1" as it is typed, or bringing it to the maximum, would
    // send a value nobody asked for.
    QValidator::State validate(QString &input, int &pos) const override
    {
        const QValidator::State state = SpinBox::validate(input, pos);
        if (state != QValidator::Invalid)
            return state;
        int decimals = 0;
        if constexpr (std::is_same_v<SpinBox, QDoubleSpinBox>)
            decimals = this->decimals();
        const QString number = decimals > 0 ? QString("^[+-]?\\d{0,10}(\\.\\d{0,%1})?$").arg(decimals)
                                            : QString("^[+-]?\\d{0,10}$");
        return QRegularExpression(number).match(input).hasMatch() ? QValidator::Intermediate : QValidator::Invalid;
    }

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        SpinBox::keyPressEvent(e);
        if (isEnterKey(e))
            commitIfChanged();
    }

    void focusOutEvent(QFocusEvent *e) override
    {
        SpinBox::focusOutEvent(e);
        if (isLeavingField(e))
            commitIfChanged();
    }

    void wheelEvent(QWheelEvent *e) override
    {
        if (!this->hasFocus()) {
            e->ignore(); // let the panel scroll instead
            return;
        }
        SpinBox::wheelEvent(e);
    }

private:
    void commitIfChanged()
    {
        if (this->value() == committed_)
            return;
        committed_ = this->value();
        if (onCommit)
            onCommit();
    }

    T committed_{};
};

using CommittingDoubleSpinBox = CommittingSpinBox<QDoubleSpinBox, double>;
using CommittingIntSpinBox = CommittingSpinBox<QSpinBox, int>;

// The entry limit holds for typing only: a longer text set from code stays
// whole, and the operator can shorten it but not lengthen it.
class CommittingLineEdit : public QLineEdit {
public:
    std::function<void()> onCommit;

    explicit CommittingLineEdit(int limit) : limit_(limit)
    {
        if (limit_ > 0) {
            setMaxLength(limit_);
            connect(this, &QLineEdit::textEdited, this, [this] { setMaxLength(qMax(limit_, static_cast<int>(text().size()))); });
        }
    }

    void setTextFromCode(const QString &t)
    {
        const QSignalBlocker block(this);
        if (limit_ > 0)
            setMaxLength(qMax(limit_, static_cast<int>(t.size())));
        setText(t);
        committed_ = text();
    }

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        QLineEdit::keyPressEvent(e);
        if (isEnterKey(e))
            commitIfChanged();
    }

    void focusOutEvent(QFocusEvent *e) override
    {
        QLineEdit::focusOutEvent(e);
        if (isLeavingField(e))
            commitIfChanged();
    }

private:
    void commitIfChanged()
    {
        if (text() == committed_)
            return;
        committed_ = text();
        if (onCommit)
            onCommit();
    }

    int limit_;
    QString committed_;
};

} // namespace panel
