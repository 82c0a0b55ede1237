#include "panel/log/find_bar.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextBlock>
#include <QToolButton>

namespace panel {

FindBar::FindBar(QPlainTextEdit *box, QWidget *parent)
    : QWidget(parent), box_(box), field_(new QLineEdit), next_(new QPushButton("Next")),
      previous_(new QPushButton("Previous")), result_(new QLabel)
{
    field_->setPlaceholderText("Find in messages");
    field_->setAccessibleName("Find in messages");
    field_->setClearButtonEnabled(true);
    field_->installEventFilter(this);
    field_->setMinimumWidth(field_->fontMetrics().averageCharWidth() * 16);
    previous_->setAccessibleName("Previous match");
    previous_->setToolTip("Previous match (Shift+Enter)");
    next_->setAccessibleName("Next match");
    next_->setToolTip("Next match (Enter)");
    result_->setAccessibleName("Find result");
    result_->setTextFormat(Qt::PlainText);
    result_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto *closer = new QToolButton;
    closer->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    closer->setAutoRaise(true);
    closer->setAccessibleName("Close find bar");
    closer->setToolTip("Close (Escape)");

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field_, 2);
    layout->addWidget(previous_);
    layout->addWidget(next_);
    layout->addWidget(result_, 3);
    layout->addWidget(closer);

    connect(field_, &QLineEdit::textEdited, this, [this] { find(false, true); });
    connect(next_, &QPushButton::clicked, this, [this] { findNext(); });
    connect(previous_, &QPushButton::clicked, this, [this] { findPrevious(); });
    connect(closer, &QToolButton::clicked, this, &FindBar::dismiss);
    hide();
}

void FindBar::open()
{
    const QString selected = box_->textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        field_->setText(selected);
    show();
    field_->setFocus(Qt::ShortcutFocusReason);
    field_->selectAll();
}

void FindBar::dismiss()
{
    hide();
    say({});
    box_->setExtraSelections({});
    box_->setFocus(Qt::OtherFocusReason);
}

QString FindBar::result() const { return result_->text(); }

void FindBar::say(const QString &text) { result_->setText(text); }

bool FindBar::find(bool backwards, bool again)
{
    const QString text = field_->text();
    if (text.isEmpty()) {
        say({});
        box_->setExtraSelections({});
        return false;
    }
    QTextDocument *document = box_->document();
    const QTextDocument::FindFlags flags = backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    // From the current match: past it, or with a changed text from its start,
    // so that typing on widens the same match.
    QTextCursor from = box_->textCursor();
    if (again)
        from.setPosition(from.selectionStart());
    QTextCursor match = document->find(text, from, flags);
    bool wrapped = false;
    if (match.isNull()) {
        QTextCursor edge(document);
        edge.movePosition(backwards ? QTextCursor::End : QTextCursor::Start);
        match = document->find(text, edge, flags);
        wrapped = !match.isNull();
    }
    if (match.isNull()) {
        say(QString("Not found: \"%1\"").arg(text));
        box_->setExtraSelections({});
        return false;
    }
    box_->setTextCursor(match);
    box_->centerCursor();
    // The box's own selection is drawn faintly while the field has the
    // focus; the match is shown in the active colours.
    QTextEdit::ExtraSelection shown;
    shown.cursor = match;
    shown.format.setBackground(box_->palette().brush(QPalette::Active, QPalette::Highlight));
    shown.format.setForeground(box_->palette().brush(QPalette::Active, QPalette::HighlightedText));
    box_->setExtraSelections({shown});
    say(!wrapped ? QString() : backwards ? QString("Continued from the bottom") : QString("Continued from the top"));
    return true;
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == field_ && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            find(key->modifiers().testFlag(Qt::ShiftModifier), false);
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            dismiss();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FindBar::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        dismiss();
    else if (event->matches(QKeySequence::Find))
        open();
    else
        QWidget::keyPressEvent(event);
}

} // namespace panel
