#include "panel/controls/indicator_field.h"

#include <QEvent>
#include <QStyle>
#include <QStyleOptionFrame>

namespace panel {

IndicatorField::IndicatorField()
{
    setReadOnly(true);
    setFocusPolicy(Qt::StrongFocus); // Tab reaches it
}

void IndicatorField::setWholeText(const QString &text)
{
    whole_ = text;
    setToolTip(text);
    setAccessibleDescription(text);
    showFitting();
}

bool IndicatorField::event(QEvent *event)
{
    const bool handled = QLineEdit::event(event);
    const QEvent::Type type = event->type();
    if (type == QEvent::FocusIn || type == QEvent::FocusOut || type == QEvent::Resize)
        showFitting();
    return handled;
}

void IndicatorField::showFitting()
{
    QString shown = whole_;
    if (!hasFocus()) {
        QStyleOptionFrame option;
        initStyleOption(&option);
        const QRect area = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
        shown = fontMetrics().elidedText(whole_, Qt::ElideMiddle, area.width() - 4);
    }
    if (shown != text()) {
        setText(shown);
        setCursorPosition(0);
    }
}

} // namespace panel
