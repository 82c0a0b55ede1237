#include "panel/controls/output_highlight.h"

#include <QAbstractButton>

namespace panel {

void highlightWhenChecked(QAbstractButton *button)
{
    QPalette palette = button->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::Window, QColor(0x2e9d3f));
    palette.setColor(QPalette::Disabled, QPalette::Window, QColor(0x8fc79a));
    button->setPalette(palette);
    // The ground is filled only while the box is checked, whether by the
    // operator or from code.
    button->setAutoFillBackground(button->isChecked());
    QObject::connect(button, &QAbstractButton::toggled, button, &QWidget::setAutoFillBackground);
}

} // namespace panel
