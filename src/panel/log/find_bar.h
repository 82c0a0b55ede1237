// The find bar of the message box: a text field, "Next" and "Previous", and
// a line that says what the last search found. It searches the box's text
// forwards and backwards from the current match, wrapping around at either
// end, and selects what it finds; it never changes the text. Enter finds the
// next match, Shift+Enter the previous one, Escape closes the bar.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace panel {

class FindBar : public QWidget {
    Q_OBJECT

public:
    explicit FindBar(QPlainTextEdit *box, QWidget *parent = nullptr);

    // Shows the bar with the field focused, holding the box's selection when
    // it is part of one line, else the last search.
    void open();
    // Hides the bar and gives the focus back to the box.
    void dismiss();

    // Selects the next (previous) match of the field's text; false when the
    // box holds none.
    bool findNext() { return find(false, false); }
    bool findPrevious() { return find(true, false); }

    QLineEdit *field() const { return field_; }
    // What the last search found, in words.
    QString result() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // `again`: the text changed, so the match at the current one counts.
    bool find(bool backwards, bool again);
    void say(const QString &text);

    QPlainTextEdit *box_;
    QLineEdit *field_;
    QPushButton *next_;
    QPushButton *previous_;
    QLabel *result_;
};

} // namespace panel
