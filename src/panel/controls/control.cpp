#include "panel/controls/control.h"

#include <QBoxLayout>
#include <QLabel>

namespace panel {

QLabel *Control::label()
{
    if (!label_ && hasSeparateLabel() && !def_.label.isEmpty()) {
        label_ = new QLabel(def_.label);
        label_->setBuddy(input());
        if (labelOrientation() == Qt::Vertical)
            label_->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        applyAttributes();
    }
    return label_;
}

QWidget *Control::widget()
{
    if (container_)
        return container_;
    QLabel *text = label();
    if (!text)
        return whole();
    container_ = new QWidget;
    const auto direction = labelOrientation() == Qt::Vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight;
    auto *layout = new QBoxLayout(direction, container_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(direction == QBoxLayout::TopToBottom ? 1 : 6);
    layout->addWidget(text);
    layout->addWidget(input(), 1);
    return container_;
}

void Control::setDimmed(bool dimmed)
{
    dimmed_ = dimmed;
    applyAttributes();
}

void Control::setVisible(bool visible)
{
    visible_ = visible;
    applyAttributes();
}

void Control::applyAttributes()
{
    QWidget *in = input();
    if (!in)
        return;
    in->setEnabled(!dimmed_);
    if (label_)
        label_->setEnabled(!dimmed_);
    const auto show = [this](QWidget *w) {
        if (w && (!visible_ || w->parentWidget()))
            w->setVisible(visible_);
    };
    if (container_) {
        show(container_);
    } else {
        show(whole());
        show(label_);
    }
}

} // namespace panel
