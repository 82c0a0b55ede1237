// The message box as the operator reads it: it follows the newest line only
// while its view is at the bottom, and its text can be saved to a file.
#pragma once

#include <QPlainTextEdit>

class QMenu;

namespace panel {

class MessageBoxView : public QPlainTextEdit {
public:
    explicit MessageBoxView(QWidget *parent = nullptr);

    // Appends exactly the given text, with no line break of its own. A view at
    // the bottom moves on to the newest line; one scrolled up stays where it is.
    void appendExactly(const QString &text);
    // Replaces the whole text and shows its end.
    void replaceAll(const QString &text);
    bool atBottom() const;

    // Writes the text as plain UTF-8 to `path`, whole or not at all; a failure
    // is reported in a popup. The box itself never changes.
    bool saveTo(const QString &path);
    // The context menu: the standard one (Copy, Select All) and "Save As...".
    QMenu *createContextMenu();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void saveAs();
    void showEnd();
};

} // namespace panel
