// The message box as the operator reads it: a read-only log that follows the
// newest line only while its view is at the bottom, lets the operator select
// and copy text, and can be saved to a file.
//
// It holds its text as lines and lays out only the rows it paints: a line of
// plain Latin-1 is wrapped and drawn from per-character glyphs and advances,
// its rows without selection copied together from pre-blended glyph tiles,
// any other line through a QTextLayout kept while the line is in view. An
// append at the bottom moves the rows on screen up by a blit and paints only
// the new ones.
#pragma once

#include "panel/glyph_tiles.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QRawFont>
#include <QTextOption>
#include <QVarLengthArray>
#include <array>
#include <compare>
#include <deque>
#include <memory>
#include <unordered_map>
#include <utility>

class QMenu;
class QTextLayout;

namespace panel {

class MessageBoxView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit MessageBoxView(QWidget *parent = nullptr);
    ~MessageBoxView() override;

    // Appends exactly the given text, with no line break of its own. A view at
    // the bottom moves on to the newest line; one scrolled up stays where it is.
    void appendExactly(const QString &text);
    // Replaces the whole text and shows its end.
    void replaceAll(const QString &text);
    // The text held, exactly as appended.
    QString toPlainText() const;
    // The lines held: the pieces between line feeds, the last (possibly
    // empty) one included, so an empty box holds one line.
    int lineCount() const { return static_cast<int>(lines_.size()); }
    // Keeps at most `lines` lines, the oldest going first; 0 keeps every line.
    void setMaximumLineCount(int lines);
    // The rows the text takes, wrapped at the current width.
    int rowCount() const { return totalRows_; }
    // The height of a row, in pixels: the font's, or more where a glyph needs it.
    int rowHeight() const { return lineHeight_; }
    bool atBottom() const;

    QString selectedText() const;
    void selectAll();
    // Puts the selected text on the clipboard.
    void copy() const;

    // Writes the text as plain UTF-8 to `path`, whole or not at all; a failure
    // is reported in a popup. The box itself never changes.
    bool saveTo(const QString &path);
    // The context menu: Copy, Select All and "Save As...".
    QMenu *createContextMenu();

    // For tests: whether plain rows may be copied from glyph tiles rather
    // than drawn as glyph runs, and how many rows were so far.
    void setGlyphTiles(bool on) { tilesOn_ = on; }
    qint64 tiledRows() const { return tiledRows_; }

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    struct Line {
        QString text;
        int rows = 1;
        bool plain = true; // drawn from the per-character tables
    };
    // A place in the text: a line, by its number since the box was made, and
    // a column in it. Numbers stay with their line when older lines go.
    struct Position {
        qint64 line = 0;
        int column = 0;
        auto operator<=>(const Position &) const = default;
    };
    using RowStarts = QVarLengthArray<int, 8>;

    void measureFont();
    void measure(Line &line, qint64 number, bool keepLayout);
    int wrapPlain(QStringView text, RowStarts *starts) const;
    std::unique_ptr<QTextLayout> layOut(const QString &text) const;
    QTextLayout *layoutOf(int index);
    void trimLayouts();
    qreal nextTabStop(qreal x) const;

    void relayout(bool rewrap);
    void setScrollState(int top);
    void locateTop(int row);
    // The line (its index, lineCount() past the end) and the row in it shown
    // at row `k` of the view, the top row being 0.
    std::pair<int, int> lineAtViewRow(int k) const;
    int pageRows() const;
    int viewRows() const;
    void scrollRows(int rows);

    void paintPlainRow(QPainter &p, const Line &line, int from, int to, int y, int selFrom, int selTo,
                       bool lineEndSelected);
    void paintLaidOutRow(QPainter &p, QTextLayout *layout, int row, int y, int selFrom, int selTo,
                         bool lineEndSelected);

    Position positionAt(QPoint point);
    Position endPosition() const;
    void clipSelection();
    void selectionChanged();
    void dragTo(QPoint point);
    void saveAs();

    std::deque<Line> lines_{Line{}};
    qint64 firstLine_ = 0; // the number of lines_.front()
    int maxLines_ = 0;
    int totalRows_ = 1;

    // The first row in view: line index, row within it, and row in the text.
    int topLine_ = 0;
    int topRowInLine_ = 0;
    int topRow_ = 0;
    bool adjusting_ = false; // the scroll bar moves from here, not from the operator

    int wrapWidth_ = -1;
    QSize viewportSize_;
    int lineHeight_ = 1;
    int ascent_ = 0;
    QRawFont rawFont_;
    std::array<qreal, 256> advance_{};
    std::array<quint32, 256> glyph_{};
    std::array<bool, 256> plainChar_{}; // of Latin-1 drawn without a layout
    GlyphTiles tiles_{this};
    bool tilesOn_ = true;
    qint64 tiledRows_ = 0;
    QTextOption option_;
    // Layouts of the lines that need one, by line number; kept for those in view.
    std::unordered_map<qint64, std::unique_ptr<QTextLayout>> layouts_;

    Position anchor_;
    Position cursor_;
    bool selecting_ = false;
    QPoint dragPoint_;
    QBasicTimer dragScroll_;
};

} // namespace panel
