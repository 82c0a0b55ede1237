#include "panel/number_field.h"

#include <QAccessible>
#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace panel {

namespace {

// The line edit's own margins around its text, in pixels.
constexpr int kHorizontalMargin = 2;

// Digits, signs and points: no glyph of these reaches above or below the
// font's height, which the line edit would otherwise measure.
bool isPlainNumber(const QString &text)
{
    for (const QChar c : text)
        if (!(c.isDigit() && c.unicode() < 0x80) && c != u'.' && c != u'-' && c != u'+' && c != u' ')
            return false;
    return true;
}

} // namespace

// Dimmed or restored with its spin box, the field is repainted as part of
// the spin box's own repaint: a repaint of its own as well made Qt merge
// twice as many areas when a reset dims a whole column of them.
void NumberField::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        shown_ = QStaticText(); // laid out again, in the new font
    if (event->type() == QEvent::EnabledChange && parentWidget() && parentWidget()->isEnabled() == isEnabled()) {
#if QT_CONFIG(accessibility)
        QAccessible::State state;
        state.disabled = true;
        QAccessibleStateChangeEvent changed(this, state);
        QAccessible::updateAccessibility(&changed);
#endif
        return;
    }
    QLineEdit::changeEvent(event);
}

void NumberField::paintEvent(QPaintEvent *event)
{
    if (!paintUnfocused())
        QLineEdit::paintEvent(event);
}

// The line edit's placement of a text that fits, for a left-to-right,
// vertically centred field.
bool NumberField::paintUnfocused()
{
    const QString content = text();
    const Qt::Alignment horizontal = alignment() & Qt::AlignHorizontal_Mask;
    if (hasFocus() || hasSelectedText() || content.isEmpty() || !isPlainNumber(content)
        || layoutDirection() != Qt::LeftToRight || (alignment() & Qt::AlignVertical_Mask) != 0
        || (horizontal != Qt::AlignRight && horizontal != Qt::AlignLeft))
        return false;
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    QRect r = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this);
    r = r.marginsRemoved(textMargins());
    const QFontMetrics metrics = fontMetrics();
    const int top = r.y() + (r.height() - metrics.height() + 1) / 2;
    const QRect line(r.x() + kHorizontalMargin, top, r.width() - 2 * kHorizontalMargin, metrics.height());
    if (shown_.text() != content) {
        shown_.setText(content);
        shown_.setTextFormat(Qt::PlainText);
        shown_.prepare(QTransform(), font());
    }
    const int widthUsed = qRound(shown_.size().width()) + 1;
    if (widthUsed > line.width())
        return false; // the line edit scrolls it
    const int scroll = horizontal == Qt::AlignRight ? widthUsed - line.width() + 1 : 0;

    QPainter p(this);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &p, this);
    p.setClipRect(r);
    p.setFont(font());
    p.setPen(palette().text().color());
    p.drawStaticText(line.topLeft() - QPoint(scroll, 0), shown_);
    return true;
}

} // namespace panel
