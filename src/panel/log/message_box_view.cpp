#include "panel/log/message_box_view.h"

#include "panel/api/ui.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <vector>

namespace panel {

namespace {

const char kSaveAs[] = "Save As...";
const char kFind[] = "Find...";

// The text as the document shows it: characters that would start a block of
// their own are left out or marked, so that the document holds one block per
// line of the exact text and its line bound keeps the same lines.
QString shown(const QString &text)
{
    QString out = text;
    out.remove(QChar('\r'));
    for (QChar &c : out)
        if (c == QChar::ParagraphSeparator || c.unicode() == 0xfdd0 || c.unicode() == 0xfdd1)
            c = QChar::ReplacementCharacter;
    return out;
}

// The boxes holding gathered text.
std::vector<MessageBoxView *> &gathering()
{
    static std::vector<MessageBoxView *> boxes;
    return boxes;
}

void forget(MessageBoxView *box)
{
    auto &boxes = gathering();
    boxes.erase(std::remove(boxes.begin(), boxes.end(), box), boxes.end());
}

} // namespace

void flushPendingText()
{
    // A flush takes its box off the list.
    while (!gathering().empty())
        gathering().back()->flush();
}

MessageBoxView::~MessageBoxView() { forget(this); }

void MessageBoxView::gather(const QString &text)
{
    if (gathered_.isEmpty()) {
        gathering().push_back(this);
        // Should no flush point come first, the event loop does it.
        QTimer::singleShot(0, this, [this] { flush(); });
    }
    gathered_ += text;
    if (record_)
        record_->add(text); // stamped now, not when the box shows it
}

void MessageBoxView::flush()
{
    forget(this);
    if (gathered_.isEmpty())
        return;
    const QString text = std::move(gathered_);
    gathered_.clear();
    appendExactly(text);
    if (record_)
        record_->write();
}

MessageBoxView::MessageBoxView(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setAccessibleName("Messages");
    QFont mono("Monospace");
    mono.setStyleHint(QFont::TypeWriter);
    mono.setStyleStrategy(QFont::PreferNoShaping); // plain text: no shaping needed
    setFont(mono);
    // A full log moves the slider at every line; filled, the scroll bar is
    // repainted alone rather than with everything behind it.
    verticalScrollBar()->setAutoFillBackground(true);
}

bool MessageBoxView::atBottom() const
{
    const QScrollBar *bar = verticalScrollBar();
    return bar->value() >= bar->maximum();
}

void MessageBoxView::appendExactly(const QString &text)
{
    if (text.isEmpty())
        return;
    const bool follow = atBottom();
    QScrollBar *bar = verticalScrollBar();
    const int kept = bar->value();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(shown(text));
    const QStringList pieces = text.split('\n');
    lines_.back() += pieces.front();
    for (qsizetype i = 1; i < pieces.size(); ++i)
        lines_.push_back(pieces[i]);
    keepAtMost(maxLines_);
    if (follow)
        showEnd();
    else
        bar->setValue(kept);
}

void MessageBoxView::replaceAll(const QString &text)
{
    if (record_) {
        // What was gathered is recorded already; the box's unfinished line ends.
        record_->endLine();
        record_->add(text);
        record_->write();
    }
    forget(this);
    gathered_.clear();
    lines_.clear();
    for (const QString &line : text.split('\n'))
        lines_.push_back(line);
    keepAtMost(maxLines_);
    setPlainText(shown(exactText()));
    showEnd();
}

QString MessageBoxView::exactText()
{
    flush();
    QString text;
    for (const QString &line : lines_) {
        if (&line != &lines_.front())
            text += '\n';
        text += line;
    }
    return text;
}

void MessageBoxView::setMaximumLineCount(int lines)
{
    maxLines_ = lines;
    setMaximumBlockCount(lines);
    keepAtMost(lines);
}

void MessageBoxView::keepAtMost(int lines)
{
    while (lines > 0 && static_cast<int>(lines_.size()) > lines)
        lines_.pop_front();
}

void MessageBoxView::showEnd()
{
    QScrollBar *bar = verticalScrollBar();
    bar->setValue(bar->maximum());
}

bool MessageBoxView::saveTo(const QString &path)
{
    flushPendingText(); // every line written so far, also those still gathered
    std::string why;
    if (ui::writeChosenFile(path.toStdString(), exactText().toStdString(), why))
        return true;
    const QString text = QString("The message box was not saved to %1:\n%2\n")
                             .arg(QDir::toNativeSeparators(path), QString::fromStdString(why));
    ui::messagePopup(kSaveAs, text.toStdString());
    return false;
}

QMenu *MessageBoxView::createContextMenu()
{
    QMenu *menu = createStandardContextMenu();
    menu->addSeparator();
    QAction *find = menu->addAction(kFind, this, &MessageBoxView::findRequested);
    find->setShortcut(QKeySequence::Find); // shown in the menu; the key itself is taken below
    menu->addAction(kSaveAs, this, [this] { saveAs(); });
    return menu;
}

void MessageBoxView::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Find)) {
        emit findRequested();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MessageBoxView::contextMenuEvent(QContextMenuEvent *event)
{
    const std::unique_ptr<QMenu> menu(createContextMenu());
    menu->exec(event->globalPos());
}

void MessageBoxView::saveAs()
{
    QFileDialog dialog(this, kSaveAs, QDir::home().filePath("tavr-messages.txt"), "Text files (*.txt);;All files (*)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        saveTo(dialog.selectedFiles().constFirst());
}

} // namespace panel
