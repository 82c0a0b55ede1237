// One control of a loaded panel: its definition, its widgets, its value.
#pragma once

#include "panel/definition/panel_definition.h"

#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <memory>

class QLabel;

namespace panel {

class Control {
public:
    // Called when the operator commits a change of this control.
    using CommitHandler = std::function<void()>;

    explicit Control(const ControlDef &def) : def_(def) {}
    virtual ~Control() = default;
    Control(const Control &) = delete;
    Control &operator=(const Control &) = delete;

    const ControlDef &def() const { return def_; }

    // The part the operator works with; nullptr for controls that are not
    // shown, like timers.
    virtual QWidget *input() { return nullptr; }
    // The input with the parts that belong to it (the message box's find
    // bar): what a layout places when the control has no separate label.
    virtual QWidget *whole() { return input(); }
    // The control's label as a widget of its own, for layouts that place it
    // apart (a column heading); nullptr when the control has no separate label.
    QLabel *label();
    // Input and label together, for layouts that place the control as one.
    QWidget *widget();

    // Value as the control holds it: double or int for numerics, int 0/1 for
    // toggles and LEDs, QString for texts; invalid for controls without value.
    virtual QVariant value() const { return {}; }
    // Sets the value from code: never a commit. The text box appends.
    virtual void setValue(const QVariant &) {}
    // Replaces the value wholesale (the text box's reset); same as setValue elsewhere.
    virtual void replaceValue(const QVariant &v) { setValue(v); }

    bool isDimmed() const { return dimmed_; }
    void setDimmed(bool dimmed);
    bool isVisible() const { return visible_; }
    // Applied once the control is placed: a widget without a parent would
    // become a window of its own if shown.
    void setVisible(bool visible);

    void setCommitHandler(CommitHandler handler) { onCommit_ = std::move(handler); }

protected:
    void commit()
    {
        if (onCommit_)
            onCommit_();
    }
    // Kinds that draw their label themselves (switches, LEDs) return false.
    virtual bool hasSeparateLabel() const { return false; }
    // Numerics put their label above, text fields beside.
    virtual Qt::Orientation labelOrientation() const { return Qt::Horizontal; }

private:
    void applyAttributes();

    const ControlDef &def_;
    CommitHandler onCommit_;
    bool dimmed_ = false;
    bool visible_ = true;
    QPointer<QLabel> label_;
    QPointer<QWidget> container_;
};

// Creates the control for a definition. `baseDir` locates images.
std::unique_ptr<Control> createControl(const ControlDef &def, const QString &baseDir);

} // namespace panel
