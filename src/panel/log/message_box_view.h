// The message box as the operator reads it: a read-only text edit that
// follows the newest line only while its view is at the bottom, keeps at
// most a set number of lines, and can be saved to a file.
//
// The text edit shows the text; the text as appended is kept beside it, line
// by line and within the same bound, because a text document does not give
// every character back as it was given (a carriage return starts a block, a
// no-break space reads back as a space). Reads of the box and Save As use it.
//
// A record, when given one, receives everything appended from code as the
// box does, and is written at every flush.
#pragma once

#include "panel/log/message_record.h"

#include <QPlainTextEdit>
#include <deque>
#include <memory>

class QMenu;

namespace panel {

class MessageBoxView : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit MessageBoxView(QWidget *parent = nullptr);
    ~MessageBoxView() override;

    // Appends text written from code: it is gathered and inserted in one
    // piece at the next flush (each insertion moves and repaints the view),
    // which comes before anything shows or reads it: a repaint, a popup, the
    // end of a callback, a read of the box (flushPendingText()), or else the
    // event loop.
    void gather(const QString &text);
    void flush();

    // Appends exactly the given text, with no line break of its own. A view at
    // the bottom moves on to the newest line; one scrolled up stays where it is.
    void appendExactly(const QString &text);
    // Replaces the whole text and shows its end.
    void replaceAll(const QString &text);
    // The text held, exactly as appended; what is gathered too.
    QString exactText();
    // The lines held: the pieces between line feeds, the last (possibly
    // empty) one included, so an empty box holds one line.
    int lineCount() const { return static_cast<int>(lines_.size()); }
    // Keeps at most `lines` lines, the oldest going first; 0 keeps every line.
    void setMaximumLineCount(int lines);
    bool atBottom() const;

    // Writes the text as plain UTF-8 to `path`, whole or not at all; a failure
    // is reported in a popup that names its reason. The box itself never changes.
    bool saveTo(const QString &path);
    // The context menu: Copy, Select All, "Find..." and "Save As...".
    QMenu *createContextMenu();

    void setRecord(std::unique_ptr<MessageRecord> record) { record_ = std::move(record); }
    MessageRecord *record() const { return record_.get(); }

signals:
    // The operator asked to search the box (Ctrl+F, or "Find..." in its menu).
    void findRequested();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void saveAs();
    void showEnd();
    void keepAtMost(int lines);

    std::deque<QString> lines_{QString()};
    int maxLines_ = 0;
    QString gathered_;
    std::unique_ptr<MessageRecord> record_;
};

// Inserts what every message box has gathered.
void flushPendingText();

} // namespace panel
