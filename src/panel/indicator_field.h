// A one-line text the program writes and the operator only reads. A text
// wider than the field is shown shortened in the middle, so that its end
// (where an identity text carries the serial number) stays in view; the
// tooltip holds the whole text, and with the keyboard focus the field shows
// it whole, to be read by moving through it and copied.
#pragma once

#include "panel/committing_widgets.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace panel {

class IndicatorField : public CommittingLineEdit {
public:
    IndicatorField() : CommittingLineEdit(0)
    {
        setReadOnly(true);
        setFocusPolicy(Qt::StrongFocus); // Tab reaches it
    }

    void setTextFromCode(const QString &t)
    {
        CommittingLineEdit::setTextFromCode(t);
        setToolTip(t);
    }

    // The text as the field shows it without the focus.
    QString shownText() const
    {
        QStyleOptionFrame option;
        initStyleOption(&option);
        const QRect area = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
        return fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width() - 4);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        const QString shown = shownText();
        if (hasFocus() || shown == text()) {
            CommittingLineEdit::paintEvent(event);
            return;
        }
        QPainter painter(this);
        QStyleOptionFrame option;
        initStyleOption(&option);
        style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
        const QRect area = style()->subElementRect(QStyle::SE_LineEditContents, &option, this).adjusted(2, 0, -2, 0);
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
        painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, shown);
    }
};

} // namespace panel
