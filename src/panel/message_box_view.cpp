#include "panel/message_box_view.h"

#include "panel/control.h"
#include "panel/quiet_scroll_bar.h"
#include "panel/toolkit.h"
#include "panel/ui.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QPainter>
#include <QSaveFile>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QWheelEvent>
#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace panel {

namespace {

const char kSaveAs[] = "Save As...";

// Space around the text, as a text document leaves it.
constexpr int kMargin = 4;
// Layouts kept beyond those of the lines in view.
constexpr std::size_t kKeptLayouts = 64;
// How often a drag above or below the text scrolls it.
constexpr int kDragScrollMs = 50;

QString withShortcut(const char *text, QKeySequence::StandardKey key)
{
    return QString(text) + '\t' + QKeySequence(key).toString(QKeySequence::NativeText);
}

} // namespace

MessageBoxView::MessageBoxView(QWidget *parent) : QAbstractScrollArea(parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBar(new QuietScrollBar(Qt::Vertical));
    viewport()->setCursor(Qt::IBeamCursor);
    option_.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QFont mono("Monospace");
    mono.setStyleHint(QFont::TypeWriter);
    mono.setStyleStrategy(QFont::PreferNoShaping); // plain text: no shaping needed
    setFont(mono);
    measureFont();
    relayout(true);
}

MessageBoxView::~MessageBoxView() = default;

// ---- the text ----

void MessageBoxView::appendExactly(const QString &text)
{
    if (text.isEmpty())
        return;
    const bool follow = atBottom();
    const int oldTop = topRow_;
    const int oldSize = lineCount();
    const int oldLastStart = totalRows_ - lines_.back().rows;
    const qint64 oldFirst = firstLine_;

    const QList<QStringView> pieces = QStringView(text).split(u'\n');
    // The new lines that will be in view keep the layout their count needed.
    const qsizetype keepFrom = pieces.size() - std::max(1, viewRows());
    qsizetype next = 1;
    const bool allGone = maxLines_ > 0 && pieces.size() - 1 >= maxLines_;
    if (allGone) {
        // The new lines alone fill the box: everything held goes, and so do
        // the new lines that would go at once.
        next = pieces.size() - maxLines_;
        firstLine_ += oldSize - 1 + next;
        lines_.clear();
        layouts_.clear();
        totalRows_ = 0;
    } else {
        Line &last = lines_.back();
        totalRows_ -= last.rows;
        last.text += pieces[0];
        measure(last, firstLine_ + oldSize - 1, true);
        totalRows_ += last.rows;
    }
    for (qsizetype i = next; i < pieces.size(); ++i) {
        lines_.push_back(Line{pieces[i].toString()});
        measure(lines_.back(), firstLine_ + lineCount() - 1, i >= keepFrom);
        totalRows_ += lines_.back().rows;
    }
    int droppedRows = 0;
    while (maxLines_ > 0 && lineCount() > maxLines_) {
        droppedRows += lines_.front().rows;
        layouts_.erase(firstLine_);
        lines_.pop_front();
        ++firstLine_;
    }
    totalRows_ -= droppedRows;
    const qint64 droppedLines = firstLine_ - oldFirst;
    clipSelection();

    // The row in view at the top stays with its line while that is held.
    const bool shownGone = allGone || droppedLines > topLine_;
    if (shownGone) {
        topLine_ = topRowInLine_ = topRow_ = 0;
    } else {
        topLine_ -= static_cast<int>(droppedLines);
        topRow_ -= droppedRows;
    }
    setScrollState(follow ? INT_MAX : topRow_);
    trimLayouts();

    if (allGone || (shownGone && !follow)) {
        viewport()->update();
        return;
    }
    // The rows on screen move up as the view does; from the old last line on
    // the rows are new.
    scrollRows(topRow_ - (oldTop - droppedRows));
    const int changed = std::max(0, oldLastStart - droppedRows - topRow_);
    const int shown = std::min(viewRows(), totalRows_ - topRow_);
    if (changed < shown)
        viewport()->update(QRect(0, kMargin + changed * lineHeight_, viewport()->width(), (shown - changed) * lineHeight_));
}

void MessageBoxView::replaceAll(const QString &text)
{
    firstLine_ += lineCount(); // no position of the old text matches a new line
    lines_.assign(1, Line{});
    layouts_.clear();
    totalRows_ = 1;
    anchor_ = cursor_ = Position{firstLine_, 0};
    topLine_ = topRowInLine_ = topRow_ = 0;
    setScrollState(0);
    viewport()->update();
    appendExactly(text);
}

QString MessageBoxView::toPlainText() const
{
    qsizetype size = lineCount() - 1;
    for (const Line &line : lines_)
        size += line.text.size();
    QString text;
    text.reserve(size);
    for (const Line &line : lines_) {
        if (&line != &lines_.front())
            text += u'\n';
        text += line.text;
    }
    return text;
}

void MessageBoxView::setMaximumLineCount(int lines)
{
    maxLines_ = std::max(0, lines);
    if (maxLines_ == 0 || lineCount() <= maxLines_)
        return;
    while (lineCount() > maxLines_) {
        lines_.pop_front();
        ++firstLine_;
    }
    clipSelection();
    topLine_ = topRowInLine_ = topRow_ = 0;
    relayout(true);
}

bool MessageBoxView::atBottom() const
{
    const QScrollBar *bar = verticalScrollBar();
    return bar->value() >= bar->maximum();
}

// ---- rows ----

void MessageBoxView::measureFont()
{
    const QFontMetrics metrics(font());
    int above = metrics.ascent();
    int below = metrics.height() - metrics.ascent();
    rawFont_ = QRawFont::fromFont(font());
    plainChar_.fill(false);
    glyph_.fill(0); // none of an earlier font's glyphs go to the tiles
    struct Glyph {
        char16_t c;
        quint32 index;
        QRectF bounds;
    };
    std::vector<Glyph> found;
    // Printable Latin-1 takes no shaping: one glyph a character. The soft
    // hyphen shows only where a row breaks, so it goes through a layout.
    const auto printable = [](char16_t c) { return (c >= 0x20 && c < 0x7f) || (c >= 0xa0 && c != 0xad); };
    for (char16_t c = 0; rawFont_.isValid() && c < plainChar_.size(); ++c) {
        const QChar ch(c);
        quint32 glyph = 0;
        int glyphs = 1;
        if (!printable(c) || !rawFont_.glyphIndexesForChars(&ch, 1, &glyph, &glyphs) || glyphs != 1
            || (glyph == 0 && c != u' '))
            continue; // not in the font itself: drawn through a layout, with a fallback font
        QPointF advance;
        rawFont_.advancesForGlyphIndexes(&glyph, &advance, 1);
        glyph_[c] = glyph;
        advance_[c] = advance.x();
        const QRectF bounds = rawFont_.boundingRect(glyph);
        found.push_back({c, glyph, bounds});
        if (c < 0x80) { // rows are high enough for every ASCII glyph
            above = std::max(above, static_cast<int>(std::ceil(-bounds.top())));
            below = std::max(below, static_cast<int>(std::ceil(bounds.bottom())));
        }
    }
    lineHeight_ = std::max(1, above + below);
    ascent_ = above;
    // A plain row is painted unclipped: its glyphs must stay in their row.
    for (const Glyph &g : found)
        plainChar_[g.c] = g.bounds.top() >= -above && g.bounds.bottom() <= below;
    plainChar_[u'\t'] = plainChar_[u' '];
    tiles_.setFont(rawFont_, glyph_, lineHeight_, ascent_);
}

qreal MessageBoxView::nextTabStop(qreal x) const
{
    const qreal tab = option_.tabStopDistance();
    return (std::floor(x / tab) + 1) * tab;
}

// A plain line wraps as a text layout wraps it at a word boundary or
// anywhere: a row ends after its last blank that lets the next word fit, or
// inside a word longer than a row; blanks at a row's end hang past the edge.
int MessageBoxView::wrapPlain(QStringView text, RowStarts *starts) const
{
    int rows = 1;
    int rowStart = 0;
    int wordStart = 0; // the first character after the row's last blank
    qreal x = 0;       // pen position in the row
    qreal wordX = 0;   // pen position at wordStart
    const qreal width = wrapWidth_;
    for (int i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u' ' || c == u'\t') {
            x = c == u'\t' ? nextTabStop(x) : x + advance_[c];
            wordStart = i + 1;
            wordX = x;
            continue;
        }
        const qreal advance = advance_[c];
        while (x + advance > width && i > rowStart) {
            if (wordStart > rowStart) { // the word moves down whole
                x -= wordX;
                rowStart = wordStart;
            } else {
                x = 0;
                rowStart = i;
            }
            wordStart = rowStart;
            wordX = 0;
            ++rows;
            if (starts)
                starts->append(rowStart);
        }
        x += advance;
    }
    return rows;
}

std::unique_ptr<QTextLayout> MessageBoxView::layOut(const QString &text) const
{
    auto layout = std::make_unique<QTextLayout>(text, font(), viewport());
    layout->setTextOption(option_);
    layout->setCacheEnabled(true);
    layout->beginLayout();
    for (int row = 0;; ++row) {
        QTextLine line = layout->createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(wrapWidth_);
        // Rows of equal height, baselines where plain rows have theirs.
        line.setPosition(QPointF(0, row * lineHeight_ + ascent_ - line.ascent()));
    }
    layout->endLayout();
    return layout;
}

void MessageBoxView::measure(Line &line, qint64 number, bool keepLayout)
{
    line.plain = std::all_of(line.text.cbegin(), line.text.cend(),
                             [this](QChar c) { return c.unicode() < plainChar_.size() && plainChar_[c.unicode()]; });
    layouts_.erase(number);
    if (line.plain) {
        line.rows = wrapPlain(line.text, nullptr);
        return;
    }
    std::unique_ptr<QTextLayout> layout = layOut(line.text);
    line.rows = std::max(1, layout->lineCount());
    if (keepLayout)
        layouts_[number] = std::move(layout);
}

QTextLayout *MessageBoxView::layoutOf(int index)
{
    std::unique_ptr<QTextLayout> &layout = layouts_[firstLine_ + index];
    if (!layout)
        layout = layOut(lines_[index].text);
    return layout.get();
}

void MessageBoxView::trimLayouts()
{
    if (layouts_.size() <= kKeptLayouts)
        return;
    const qint64 first = firstLine_ + topLine_;
    const qint64 last = first + viewRows();
    std::erase_if(layouts_, [&](const auto &entry) { return entry.first < first || entry.first > last; });
}

// ---- the view ----

int MessageBoxView::pageRows() const { return std::max(1, (viewport()->height() - 2 * kMargin) / lineHeight_); }

int MessageBoxView::viewRows() const
{
    return std::max(0, (viewport()->height() - kMargin + lineHeight_ - 1) / lineHeight_);
}

void MessageBoxView::relayout(bool rewrap)
{
    const bool follow = atBottom();
    const int width = std::max(1, viewport()->width() - 2 * kMargin);
    if (rewrap || width != wrapWidth_) {
        wrapWidth_ = width;
        layouts_.clear();
        totalRows_ = 0;
        int topLineStart = 0;
        for (int i = 0; i < lineCount(); ++i) {
            if (i == topLine_)
                topLineStart = totalRows_;
            measure(lines_[i], firstLine_ + i, false);
            totalRows_ += lines_[i].rows;
        }
        topRowInLine_ = std::min(topRowInLine_, lines_[topLine_].rows - 1);
        topRow_ = topLineStart + topRowInLine_;
    }
    setScrollState(follow ? INT_MAX : topRow_);
    viewport()->update();
}

void MessageBoxView::setScrollState(int top)
{
    auto *bar = static_cast<QuietScrollBar *>(verticalScrollBar());
    const int page = pageRows();
    {
        const QScopedValueRollback<bool> fromHere(adjusting_, true);
        bar->setState(std::max(0, totalRows_ - page), page, top);
    }
    locateTop(bar->value());
}

// Finds the line of a row, walking from the nearest of the first row, the
// row in view at the top, and the end.
void MessageBoxView::locateTop(int row)
{
    row = std::clamp(row, 0, std::max(0, totalRows_ - 1));
    const int anchorStart = topRow_ - topRowInLine_;
    int line = 0;
    int start = 0;
    if (std::abs(row - anchorStart) < std::min(row, totalRows_ - row)) {
        line = topLine_;
        start = anchorStart;
    } else if (totalRows_ - row < row) {
        line = lineCount();
        start = totalRows_;
    }
    while (start > row)
        start -= lines_[--line].rows;
    while (start + lines_[line].rows <= row)
        start += lines_[line++].rows;
    topLine_ = line;
    topRowInLine_ = row - start;
    topRow_ = row;
}

std::pair<int, int> MessageBoxView::lineAtViewRow(int k) const
{
    int index = topLine_;
    int row = topRowInLine_ + k;
    while (row < 0 && index > 0)
        row += lines_[--index].rows;
    while (index < lineCount() && row >= lines_[index].rows)
        row -= lines_[index++].rows;
    return {index, row};
}

// Moves the rows on screen up by `rows` (down if negative): what is still in
// view is blitted, the rest painted.
void MessageBoxView::scrollRows(int rows)
{
    if (rows == 0)
        return;
    QWidget *view = viewport();
    if (std::abs(rows) >= viewRows())
        view->update();
    else
        view->scroll(0, -rows * lineHeight_, QRect(0, kMargin, view->width(), view->height() - kMargin));
}

void MessageBoxView::scrollContentsBy(int, int)
{
    if (adjusting_)
        return;
    const int before = topRow_;
    locateTop(verticalScrollBar()->value());
    scrollRows(topRow_ - before);
    if (selecting_)
        dragTo(dragPoint_);
}

void MessageBoxView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (viewport()->size() == viewportSize_)
        return;
    viewportSize_ = viewport()->size();
    relayout(false);
}

void MessageBoxView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        measureFont();
        relayout(true);
    } else if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        viewport()->update();
    }
}

// ---- painting ----

void MessageBoxView::paintEvent(QPaintEvent *event)
{
    const QRect area = event->rect();
    if (area.bottom() < kMargin)
        return;
    QPainter p(viewport());
    const int width = viewport()->width();
    const int first = std::max(0, (area.top() - kMargin) / lineHeight_);
    const int last = (area.bottom() - kMargin) / lineHeight_;

    auto [index, row] = lineAtViewRow(first);
    const Position selStart = std::min(anchor_, cursor_);
    const Position selEnd = std::max(anchor_, cursor_);
    const bool selection = selStart != selEnd;
    RowStarts starts;
    int startsOf = -1;
    for (int k = first; k <= last && index < lineCount(); ++k) {
        const Line &line = lines_[index];
        const qint64 number = firstLine_ + index;
        const int y = kMargin + k * lineHeight_;
        int selFrom = -1;
        int selTo = -1;
        bool lineEndSelected = false;
        if (selection && number >= selStart.line && number <= selEnd.line) {
            selFrom = number == selStart.line ? selStart.column : 0;
            selTo = number == selEnd.line ? selEnd.column : static_cast<int>(line.text.size());
            lineEndSelected = number < selEnd.line && row == line.rows - 1;
        }
        if (line.plain) {
            if (startsOf != index) {
                starts.clear();
                starts.append(0);
                wrapPlain(line.text, &starts);
                startsOf = index;
            }
            const int to = row + 1 < starts.size() ? starts[row + 1] : static_cast<int>(line.text.size());
            paintPlainRow(p, line, starts[row], to, y, selFrom, selTo, lineEndSelected);
        } else {
            // Glyphs of another font may reach out of the row: each row
            // paints only its own, as it does when painted alone.
            p.setClipRect(QRect(0, y, width, lineHeight_));
            paintLaidOutRow(p, layoutOf(index), row, y, selFrom, selTo, lineEndSelected);
            p.setClipping(false);
        }
        if (++row >= line.rows) {
            ++index;
            row = 0;
        }
    }
    trimLayouts();
}

void MessageBoxView::paintPlainRow(QPainter &p, const Line &line, int from, int to, int y, int selFrom, int selTo,
                                   bool lineEndSelected)
{
    QVarLengthArray<quint32, 128> glyphs;
    QVarLengthArray<QPointF, 128> places;
    QVarLengthArray<uchar, 128> chars; // those of `glyphs`
    QVarLengthArray<quint32, 128> selGlyphs;
    QVarLengthArray<QPointF, 128> selPlaces;
    const int a = std::max(from, selFrom);
    const int b = std::min(to, selTo);
    qreal x = 0;
    qreal selX0 = 0;
    qreal selX1 = 0;
    for (int i = from; i < to; ++i) {
        if (i == a)
            selX0 = x;
        const char16_t c = line.text[i].unicode();
        if (c == u'\t') {
            x = nextTabStop(x);
        } else {
            if (c != u' ') {
                const bool chosen = i >= a && i < b;
                (chosen ? selGlyphs : glyphs).append(glyph_[c]);
                (chosen ? selPlaces : places).append(QPointF(x, 0));
                if (!chosen)
                    chars.append(static_cast<uchar>(c));
            }
            x += advance_[c];
        }
        if (i + 1 == b)
            selX1 = x;
    }
    const QPalette &pal = palette();
    if (a < b)
        p.fillRect(QRectF(kMargin + selX0, y, selX1 - selX0, lineHeight_), pal.highlight());
    if (lineEndSelected)
        p.fillRect(QRectF(kMargin + x, y, advance_[u' '], lineHeight_), pal.highlight());
    const QPointF baseline(kMargin, y + ascent_);
    if (a >= b && !lineEndSelected && tilesOn_) {
        // A row without selection lies on the viewport's own background,
        // which tiles can be blended over only where it is one solid colour.
        const QWidget *port = viewport();
        const QBrush &fill = port->palette().brush(port->backgroundRole());
        if (port->autoFillBackground() && !port->testAttribute(Qt::WA_StyleSheet)
            && fill.style() == Qt::SolidPattern && fill.color().alpha() == 255
            && tiles_.paint(p, baseline, chars.constData(), places.constData(), static_cast<int>(chars.size()),
                            pal.text().color(), fill.color())) {
            ++tiledRows_;
            return;
        }
    }
    const auto draw = [&](const auto &indexes, const auto &positions, const QColor &color) {
        if (!indexes.isEmpty())
            drawGlyphRun(p, baseline, rawFont_, indexes.constData(), positions.constData(),
                         static_cast<int>(indexes.size()), color);
    };
    draw(glyphs, places, pal.text().color());
    draw(selGlyphs, selPlaces, pal.highlightedText().color());
}

void MessageBoxView::paintLaidOutRow(QPainter &p, QTextLayout *layout, int row, int y, int selFrom, int selTo,
                                     bool lineEndSelected)
{
    const QPalette &pal = palette();
    QList<QTextLayout::FormatRange> selections;
    if (selFrom < selTo) {
        QTextLayout::FormatRange range;
        range.start = selFrom;
        range.length = selTo - selFrom;
        range.format.setBackground(pal.highlight());
        range.format.setForeground(pal.highlightedText());
        selections.append(range);
    }
    p.setPen(pal.text().color());
    const QRectF band(0, y, viewport()->width(), lineHeight_);
    layout->draw(&p, QPointF(kMargin, y - row * lineHeight_), selections, band);
    if (lineEndSelected) {
        const QTextLine line = layout->lineAt(row);
        p.fillRect(QRectF(kMargin + line.x() + line.naturalTextWidth(), y, advance_[u' '], lineHeight_),
                   pal.highlight());
    }
}

// ---- selection ----

MessageBoxView::Position MessageBoxView::endPosition() const
{
    return {firstLine_ + lineCount() - 1, static_cast<int>(lines_.back().text.size())};
}

MessageBoxView::Position MessageBoxView::positionAt(QPoint point)
{
    const int k = point.y() < kMargin ? -1 : (point.y() - kMargin) / lineHeight_;
    if (topRow_ + k < 0)
        return {firstLine_, 0};
    if (topRow_ + k >= totalRows_)
        return endPosition();
    const auto [index, row] = lineAtViewRow(k);
    const Line &line = lines_[index];
    const qreal x = point.x() - kMargin;
    int column = 0;
    if (line.plain) {
        RowStarts starts{0};
        wrapPlain(line.text, &starts);
        const int from = starts[row];
        const int to = row + 1 < starts.size() ? starts[row + 1] : static_cast<int>(line.text.size());
        column = to;
        qreal pen = 0;
        for (int i = from; i < to; ++i) {
            const char16_t c = line.text[i].unicode();
            const qreal next = c == u'\t' ? nextTabStop(pen) : pen + advance_[c];
            if (x < (pen + next) / 2) {
                column = i;
                break;
            }
            pen = next;
        }
    } else {
        column = layoutOf(index)->lineAt(row).xToCursor(x);
    }
    return {firstLine_ + index, column};
}

// Lines gone from the top take the selected text on them along.
void MessageBoxView::clipSelection()
{
    const Position first{firstLine_, 0};
    anchor_ = std::max(anchor_, first);
    cursor_ = std::max(cursor_, first);
}

void MessageBoxView::selectionChanged() { viewport()->update(); }

QString MessageBoxView::selectedText() const
{
    const Position start = std::min(anchor_, cursor_);
    const Position end = std::max(anchor_, cursor_);
    QString text;
    for (qint64 n = start.line; n <= end.line && start != end; ++n) {
        const QString &line = lines_[static_cast<std::size_t>(n - firstLine_)].text;
        const qsizetype from = n == start.line ? start.column : 0;
        const qsizetype to = n == end.line ? end.column : line.size();
        text += QStringView(line).sliced(from, to - from);
        if (n < end.line)
            text += u'\n';
    }
    return text;
}

void MessageBoxView::selectAll()
{
    anchor_ = {firstLine_, 0};
    cursor_ = endPosition();
    selectionChanged();
}

void MessageBoxView::copy() const
{
    if (anchor_ != cursor_)
        QGuiApplication::clipboard()->setText(selectedText());
}

void MessageBoxView::dragTo(QPoint point)
{
    const QPoint inView(point.x(), std::clamp(point.y(), kMargin, std::max(kMargin, viewport()->height() - 1)));
    const Position at = positionAt(inView);
    if (at != cursor_) {
        cursor_ = at;
        selectionChanged();
    }
}

void MessageBoxView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const Position at = positionAt(event->position().toPoint());
    if (!(event->modifiers() & Qt::ShiftModifier))
        anchor_ = at;
    cursor_ = at;
    selecting_ = true;
    dragPoint_ = event->position().toPoint();
    selectionChanged();
}

void MessageBoxView::mouseMoveEvent(QMouseEvent *event)
{
    if (!selecting_)
        return;
    dragPoint_ = event->position().toPoint();
    const bool outside = dragPoint_.y() < 0 || dragPoint_.y() >= viewport()->height();
    if (outside && !dragScroll_.isActive())
        dragScroll_.start(kDragScrollMs, this);
    else if (!outside)
        dragScroll_.stop();
    dragTo(dragPoint_);
}

void MessageBoxView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !selecting_)
        return;
    selecting_ = false;
    dragScroll_.stop();
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (anchor_ != cursor_ && clipboard->supportsSelection())
        clipboard->setText(selectedText(), QClipboard::Selection);
}

void MessageBoxView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const Position at = positionAt(event->position().toPoint());
    const QString &text = lines_[static_cast<std::size_t>(at.line - firstLine_)].text;
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, text);
    words.setPosition(at.column);
    qsizetype start = words.isAtBoundary() ? at.column : words.toPreviousBoundary();
    words.setPosition(at.column);
    qsizetype end = words.toNextBoundary();
    if (end < 0)
        end = text.size();
    if (start >= end) {
        words.setPosition(end);
        start = words.toPreviousBoundary();
    }
    anchor_ = {at.line, static_cast<int>(std::max<qsizetype>(0, start))};
    cursor_ = {at.line, static_cast<int>(end)};
    selecting_ = true;
    dragPoint_ = event->position().toPoint();
    selectionChanged();
}

void MessageBoxView::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != dragScroll_.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    const int height = viewport()->height();
    int step = 0;
    if (dragPoint_.y() < 0)
        step = -1 + dragPoint_.y() / lineHeight_;
    else if (dragPoint_.y() >= height)
        step = 1 + (dragPoint_.y() - height) / lineHeight_;
    if (step == 0 || !selecting_) {
        dragScroll_.stop();
        return;
    }
    QScrollBar *bar = verticalScrollBar();
    bar->setValue(bar->value() + step);
    dragTo(dragPoint_);
}

// ---- keys and the menu ----

bool MessageBoxView::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key == QKeySequence::Copy || key == QKeySequence::SelectAll || key == QKeySequence::MoveToStartOfDocument
            || key == QKeySequence::MoveToEndOfDocument) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void MessageBoxView::keyPressEvent(QKeyEvent *event)
{
    if (event == QKeySequence::Copy)
        copy();
    else if (event == QKeySequence::SelectAll)
        selectAll();
    else if (event == QKeySequence::MoveToStartOfDocument || event->keyCombination() == QKeyCombination(Qt::Key_Home))
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    else if (event == QKeySequence::MoveToEndOfDocument || event->keyCombination() == QKeyCombination(Qt::Key_End))
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    else if (event->key() == Qt::Key_Space && (event->modifiers() & ~Qt::ShiftModifier) == Qt::NoModifier)
        verticalScrollBar()->triggerAction(event->modifiers() ? QAbstractSlider::SliderPageStepSub
                                                              : QAbstractSlider::SliderPageStepAdd);
    else
        QAbstractScrollArea::keyPressEvent(event); // the page and arrow keys
}

// Ctrl and the wheel make the text larger or smaller.
void MessageBoxView::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    const int steps = event->angleDelta().y() / 120;
    QFont larger = font();
    if (steps != 0 && larger.pointSizeF() > 0) {
        larger.setPointSizeF(std::clamp(larger.pointSizeF() + steps, 4.0, 72.0));
        setFont(larger); // measured again and rewrapped on the font change
    }
    event->accept();
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
    auto *menu = new QMenu(this);
    menu->addAction(withShortcut("&Copy", QKeySequence::Copy), this, [this] { copy(); })
        ->setEnabled(anchor_ != cursor_);
    menu->addAction(withShortcut("Select All", QKeySequence::SelectAll), this, [this] { selectAll(); })
        ->setEnabled(lineCount() > 1 || !lines_.front().text.isEmpty());
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
