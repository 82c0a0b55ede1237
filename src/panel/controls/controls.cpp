// The control kinds of a panel, each on the Qt widget that fits it.
#include "panel/controls/committing_widgets.h"
#include "panel/controls/control.h"
#include "panel/controls/indicator_field.h"
#include "panel/controls/led_widget.h"
#include "panel/log/message_box_view.h"
#include "panel/log/message_pane.h"
#include "panel/controls/timer_control.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <cmath>

namespace panel {

namespace {

// Lines the message box keeps; older lines are dropped so that a run of days
// keeps its memory flat.
const int kMessageBoxMaxLines = 10000;

// A caption "__RESET" marks R as the shortcut: Qt writes that "&RESET".
QString buttonText(const QString &caption)
{
    if (caption.startsWith("__") && caption.size() > 2)
        return "&" + caption.mid(2);
    QString text = caption;
    return text.replace("&", "&&");
}

class NumericControl : public Control {
public:
    explicit NumericControl(const ControlDef &def) : Control(def)
    {
        QAbstractSpinBox *input = nullptr;
        if (def.numericType == NumericType::Double) {
            auto *spin = new CommittingDoubleSpinBox;
            spin->setDecimals(def.precision);
            spin->setRange(def.minimum, def.maximum);
            spin->setSingleStep(def.step);
            spin->setValueFromCode(def.numericValue);
            spin->onCommit = [this] { commit(); };
            doubleSpin_ = spin;
            input = spin;
        } else {
            auto *spin = new CommittingIntSpinBox;
            spin->setRange(static_cast<int>(def.minimum), static_cast<int>(def.maximum));
            spin->setSingleStep(static_cast<int>(def.step));
            spin->setValueFromCode(static_cast<int>(def.numericValue));
            spin->onCommit = [this] { commit(); };
            intSpin_ = spin;
            input = spin;
        }
        input->setAlignment(Qt::AlignRight);
        if (def.editable) {
            const int decimals = def.numericType == NumericType::Double ? def.precision : 0;
            QString tip = QString("%1 to %2, arrow step %3")
                              .arg(def.minimum, 0, 'f', decimals)
                              .arg(def.maximum, 0, 'f', decimals)
                              .arg(def.step, 0, 'f', decimals);
            if (!def.callback.isEmpty())
                tip += "\nEach arrow step is sent at once; a typed value on Enter or on leaving the field.";
            input->setToolTip(tip);
        }
        if (!def.editable) {
            input->setReadOnly(true);
            input->setButtonSymbols(QAbstractSpinBox::NoButtons);
            input->setFocusPolicy(Qt::NoFocus);
        }
        input_ = input;
    }

    QWidget *input() override { return input_; }

    QVariant value() const override
    {
        if (doubleSpin_)
            return doubleSpin_->value();
        return intSpin_->value();
    }

    // Values from code are brought within the control's limits, as the
    // control itself would.
    void setValue(const QVariant &v) override
    {
        if (doubleSpin_) {
            const double d = v.toDouble();
            if (!std::isnan(d))
                doubleSpin_->setValueFromCode(d);
        } else {
            intSpin_->setValueFromCode(v.toInt());
        }
    }

private:
    CommittingDoubleSpinBox *doubleSpin_ = nullptr;
    CommittingIntSpinBox *intSpin_ = nullptr;
    QWidget *input_ = nullptr;

    bool hasSeparateLabel() const override { return true; }
    Qt::Orientation labelOrientation() const override { return Qt::Vertical; }
};

class TextControl : public Control {
public:
    explicit TextControl(const ControlDef &def) : Control(def)
    {
        if (def.editable) {
            field_ = edit_ = new CommittingLineEdit(def.maxLength);
            edit_->onCommit = [this] { commit(); };
        } else {
            field_ = indicator_ = new IndicatorField;
        }
        setValue(def.textValue);
    }

    QWidget *input() override { return field_; }
    QVariant value() const override { return indicator_ ? indicator_->wholeText() : edit_->text(); }

    void setValue(const QVariant &v) override
    {
        if (indicator_) {
            indicator_->setWholeText(v.toString());
            return;
        }
        edit_->setTextFromCode(v.toString());
        edit_->setCursorPosition(0);
    }

    // A recalled text is brought within the field's limit.
    void replaceValue(const QVariant &v) override
    {
        QString text = v.toString();
        if (def().maxLength > 0 && text.size() > def().maxLength)
            text.truncate(def().maxLength);
        setValue(text);
    }

private:
    QLineEdit *field_ = nullptr;
    CommittingLineEdit *edit_ = nullptr;
    IndicatorField *indicator_ = nullptr;

    bool hasSeparateLabel() const override { return true; }
};

class TextBoxControl : public Control {
public:
    explicit TextBoxControl(const ControlDef &def) : Control(def)
    {
        pane_ = new MessagePane;
        box_ = pane_->box();
        box_->setMaximumLineCount(kMessageBoxMaxLines);
        box_->replaceAll(def.textValue);
    }

    QWidget *input() override { return box_; }
    QWidget *whole() override { return pane_; }
    QVariant value() const override { return box_->exactText(); }
    // Appends exactly the given text: no line break of its own.
    void setValue(const QVariant &v) override { box_->gather(v.toString()); }
    void replaceValue(const QVariant &v) override { box_->replaceAll(v.toString()); }

private:
    MessagePane *pane_ = nullptr;
    MessageBoxView *box_ = nullptr;
};

class TextMessageControl : public Control {
public:
    explicit TextMessageControl(const ControlDef &def) : Control(def)
    {
        label_ = new QLabel(def.textValue);
        label_->setTextFormat(Qt::PlainText);
        label_->setWordWrap(true);
    }

    QWidget *input() override { return label_; }
    QVariant value() const override { return label_->text(); }
    void setValue(const QVariant &v) override { label_->setText(v.toString()); }

private:
    QLabel *label_ = nullptr;
};

class ToggleControl : public Control {
public:
    explicit ToggleControl(const ControlDef &def) : Control(def)
    {
        if (def.kind == Kind::ToggleSwitch)
            button_ = new QCheckBox(def.label);
        else
            button_ = new QPushButton(buttonText(def.caption));
        button_->setCheckable(true);
        button_->setChecked(def.numericValue != 0.0);
        // clicked() comes only from the operator, never from setChecked().
        QObject::connect(button_, &QAbstractButton::clicked, button_, [this] { commit(); });
    }

    QWidget *input() override { return button_; }
    QVariant value() const override { return button_->isChecked() ? 1 : 0; }
    void setValue(const QVariant &v) override { button_->setChecked(v.toInt() != 0); }

private:
    QAbstractButton *button_ = nullptr;
};

class CommandButtonControl : public Control {
public:
    explicit CommandButtonControl(const ControlDef &def) : Control(def)
    {
        button_ = new QPushButton(buttonText(def.caption));
        QObject::connect(button_, &QPushButton::clicked, button_, [this] { commit(); });
    }

    QWidget *input() override { return button_; }

private:
    QPushButton *button_ = nullptr;
};

class LedControl : public Control {
public:
    explicit LedControl(const ControlDef &def) : Control(def)
    {
        const QColor on(def.onColor.isEmpty() ? QString("#22dd22") : def.onColor);
        const QColor off(def.offColor.isEmpty() ? QString("#333333") : def.offColor);
        led_ = new LedWidget(def.label, on, off, def.numericValue != 0.0);
    }

    QWidget *input() override { return led_; }
    QVariant value() const override { return led_->isOn() ? 1 : 0; }
    void setValue(const QVariant &v) override { led_->setOn(v.toInt() != 0); }

private:
    LedWidget *led_ = nullptr;
};

class PictureControl : public Control {
public:
    PictureControl(const ControlDef &def, const QString &baseDir) : Control(def)
    {
        label_ = new QLabel;
        label_->setAlignment(Qt::AlignCenter);
        // A missing image leaves the picture empty; it carries no function.
        QPixmap image(QDir(baseDir).filePath(def.image));
        if (!image.isNull())
            label_->setPixmap(image);
    }

    QWidget *input() override { return label_; }

private:
    QLabel *label_ = nullptr;
};

} // namespace

std::unique_ptr<Control> createControl(const ControlDef &def, const QString &baseDir)
{
    switch (def.kind) {
    case Kind::Numeric:
        return std::make_unique<NumericControl>(def);
    case Kind::Text:
        return std::make_unique<TextControl>(def);
    case Kind::TextBox:
        return std::make_unique<TextBoxControl>(def);
    case Kind::TextMessage:
        return std::make_unique<TextMessageControl>(def);
    case Kind::ToggleButton:
    case Kind::ToggleSwitch:
        return std::make_unique<ToggleControl>(def);
    case Kind::CommandButton:
        return std::make_unique<CommandButtonControl>(def);
    case Kind::Led:
        return std::make_unique<LedControl>(def);
    case Kind::Picture:
        return std::make_unique<PictureControl>(def, baseDir);
    case Kind::Timer:
        return std::make_unique<TimerControl>(def);
    }
    return nullptr;
}

} // namespace panel
