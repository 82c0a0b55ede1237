#include "panel/message_box_view.h"

#include "panel/control.h"
#include "panel/toolkit.h"
#include "panel/ui.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextCursor>
#include <memory>

namespace panel {

namespace {

const char kSaveAs[] = "Save As...";

} // namespace

MessageBoxView::MessageBoxView(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QFont mono("Monospace");
    mono.setStyleHint(QFont::TypeWriter);
    mono.setStyleStrategy(QFont::PreferNoShaping); // plain text: no shaping needed
    setFont(mono);
}

bool MessageBoxView::atBottom() const
{
    const QScrollBar *bar = verticalScrollBar();
    return bar->value() >= bar->maximum();
}

void MessageBoxView::appendExactly(const QString &text)
{
    const bool follow = atBottom();
    QScrollBar *bar = verticalScrollBar();
    const int kept = bar->value();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    if (follow)
        showEnd();
    else
        bar->setValue(kept);
}

void MessageBoxView::replaceAll(const QString &text)
{
    setPlainText(text);
    showEnd();
}

void MessageBoxView::showEnd()
{
    QScrollBar *bar = verticalScrollBar();
    bar->setValue(bar->maximum());
}

bool MessageBoxView::saveTo(const QString &path)
{
    flushPendingText(); // every line written so far, also those still gathered
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    const QByteArray content = toPlainText().toUtf8();
    const bool written = file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit();
    if (!written) {
        const QString why = file.errorString();
        file.cancelWriting();
        const QString text = QString("The message box was not saved to %1:\n%2\n").arg(QDir::toNativeSeparators(path), why);
        ui::messagePopup(kSaveAs, text.toStdString());
    }
    return written;
}

QMenu *MessageBoxView::createContextMenu()
{
    QMenu *menu = createStandardContextMenu();
    menu->addSeparator();
    menu->addAction(kSaveAs, this, [this] { saveAs(); });
    return menu;
}

void MessageBoxView::contextMenuEvent(QContextMenuEvent *event)
{
    const std::unique_ptr<QMenu> menu(createContextMenu());
    const PopupScope open; // a dialog of the panel's own holds back ticks as a popup does
    menu->exec(event->globalPos());
}

void MessageBoxView::saveAs()
{
    QString path;
    {
        const PopupScope open; // a dialog of the panel's own holds back ticks as a popup does
        path = QFileDialog::getSaveFileName(this, kSaveAs, QDir::home().filePath("tavr-messages.txt"),
                                            "Text files (*.txt);;All files (*)");
    }
    if (!path.isEmpty())
        saveTo(path);
}

} // namespace panel
