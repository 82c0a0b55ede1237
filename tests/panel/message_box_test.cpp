// The message box view on its own: what it paints bit by bit equals a full
// repaint, it holds exactly the text given within its cap, wraps rows at its
// width, and keeps the operator's view and selection while lines come and go.
#include "panel/message_box_view.h"
#include "support/on_screen.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr int kMargin = 4; // the view's margin around its text

QString numbered(int from, int to, const char *text = "Interlock Card%1 active (press RESET to resume)")
{
    QString lines;
    for (int i = from; i < to; ++i)
        lines += QString(text).arg(i) + '\n';
    return lines;
}

class MessageBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        view.resize(360, 240);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        settle();
    }

    // What the event loop does before the operator sees the box: lay out,
    // show or hide the scroll bar, paint what changed.
    void settle()
    {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents();
        }
    }

    // The viewport's pixels as they are on the screen, painted or blitted.
    QImage onScreen() { return ::onScreen(view.viewport()); }

    QImage repainted()
    {
        view.viewport()->repaint();
        return onScreen();
    }

    int lineHeight() const { return view.rowHeight(); }
    // The start of a row in view, where a click lands before its first character.
    QPoint rowStart(int row) const { return QPoint(kMargin, kMargin + row * lineHeight() + lineHeight() / 2); }

    QScrollBar *bar() const { return view.verticalScrollBar(); }

    panel::MessageBoxView view;
};

} // namespace

// Blits and partial repaints must leave the pixels a full repaint paints.
TEST_F(MessageBox, WhatItPaintsBitByBitEqualsAFullRepaint)
{
    const QString longLine = "LONG " + QString("0123456789 ").repeated(12) + '\n';
    const std::vector<std::pair<const char *, std::function<void()>>> steps = {
        {"the first lines", [&] { view.appendExactly(numbered(0, 3)); }},
        {"part of a line", [&] { view.appendExactly("VOLTAGE_CH_9 - 2.500V"); }},
        {"its end", [&] { view.appendExactly(" --> 2.5000V   ch9\n"); }},
        {"lines that scroll", [&] { view.appendExactly(numbered(3, 20)); }},
        {"a wrapped line", [&] { view.appendExactly(longLine); }},
        {"tabs and other characters", [&] { view.appendExactly("a\tb\t\tc\n\u00b5A \u00e9t\u00e9\n\u03a9 \u4e2d\u6587 x\u00a0y\n"); }},
        {"one line", [&] { view.appendExactly("one line\n"); }},
        {"the box full", [&] {
             view.setMaximumLineCount(30);
             view.appendExactly(numbered(20, 40));
         }},
        {"lines into a full box", [&] { view.appendExactly(numbered(40, 43) + longLine); }},
        {"scrolled up a little", [&] { bar()->setValue(bar()->value() - 3); }},
        {"lines while scrolled up", [&] { view.appendExactly(numbered(43, 47)); }},
        {"scrolled down again", [&] { bar()->setValue(bar()->maximum()); }},
        {"two appends before a paint", [&] {
             view.appendExactly("first\n");
             view.appendExactly(numbered(47, 50));
         }},
        {"more lines than the box holds", [&] { view.appendExactly(numbered(0, 45, "burst %1")); }},
    };
    for (const int pixels : {12, 14, 17}) { // glyphs reach to the row's edge at some sizes only
        SCOPED_TRACE(pixels);
        QFont font = view.font();
        font.setPixelSize(pixels);
        view.setFont(font);
        view.setMaximumLineCount(0);
        view.replaceAll("");
        for (const auto &[what, step] : steps) {
            SCOPED_TRACE(what);
            step();
            settle();
            const QImage painted = onScreen();
            ASSERT_FALSE(painted.isNull());
            EXPECT_TRUE(painted == repainted());
        }
    }
}

TEST_F(MessageBox, HoldsExactlyTheTextGivenWithinItsCap)
{
    view.setMaximumLineCount(3);
    struct Step {
        QString append;
        QString text;
    };
    const Step steps[] = {
        {"", ""},
        {"a\nb", "a\nb"},
        {"\nc\nd", "b\nc\nd"},
        {"e\n", "c\nde\n"},
        {"1\n2\n3\n4\n5", "3\n4\n5"}, // more new lines than the box holds
        {"\n\n\n", "\n\n"},
        {"x\u00a0y\r\n\u00b5\t\u2029z", "\nx\u00a0y\r\n\u00b5\t\u2029z"}, // no character is changed
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.append.toStdString());
        view.appendExactly(s.append);
        EXPECT_EQ(view.toPlainText(), s.text);
        EXPECT_EQ(view.lineCount(), s.text.count('\n') + 1);
    }
    view.replaceAll("new\ntext");
    EXPECT_EQ(view.toPlainText(), "new\ntext");
}

TEST_F(MessageBox, WrapsLongLinesAtItsWidthAndCountsTheirRows)
{
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const qreal advance = QFontMetricsF(view.font()).horizontalAdvance('x');
    view.resize(qCeil(2 * kMargin + 10.5 * advance) + 2 * view.frameWidth(), 240); // ten characters a row
    settle();
    ASSERT_EQ(static_cast<int>((view.viewport()->width() - 2 * kMargin) / advance), 10);
    struct Case {
        QString line;
        int rows;
    };
    const Case cases[] = {
        {"", 1},
        {"0123456789", 1},
        {"0123456789A", 2},           // anywhere in a word longer than a row
        {"abcd efgh ijkl", 2},        // at a blank
        {"abcdefgh ijklmnop", 2},     // the word moves down whole
        {"abcdefghijklmnopqrstuvwxy", 3},
        {"a              b", 2},      // blanks hang at the row's end
        {QString(11, u'\u00b5'), 2},  // Latin-1
        {QString(11, u'\u03a9'), 2},  // laid out by Qt
    };
    QStringList lines;
    int rows = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        view.replaceAll(c.line);
        EXPECT_EQ(view.rowCount(), c.rows);
        lines << c.line;
        rows += c.rows;
    }
    view.replaceAll(lines.join('\n'));
    EXPECT_EQ(view.rowCount(), rows);
    view.resize(800, 240);
    settle();
    EXPECT_EQ(view.rowCount(), view.lineCount()) << "recounted at the new width";
}

// A scrolled-up view keeps the text it shows while old lines go; the
// selection moves with its text and loses only what went.
TEST_F(MessageBox, KeepsTheOperatorsViewAndSelectionWhileLinesGo)
{
    view.setMaximumLineCount(40);
    view.appendExactly(numbered(0, 40, "line %1")); // "line 0" goes for the empty last line
    settle();
    bar()->setValue(5); // "line 6" is the top row
    settle();
    const int lineEnd = qRound(3 * QFontMetricsF(view.font()).horizontalAdvance('x')); // after "lin"
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, rowStart(1));
    QTest::mouseMove(view.viewport(), rowStart(3) + QPoint(lineEnd, 0));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, rowStart(3) + QPoint(lineEnd, 0));
    EXPECT_EQ(view.selectedText(), "line 7\nline 8\nlin");
    settle();
    const QImage shown = onScreen();

    view.appendExactly(numbered(40, 43, "line %1"));
    settle();
    EXPECT_EQ(bar()->value(), 2);
    EXPECT_TRUE(onScreen() == shown) << "the view shows the same text";
    EXPECT_EQ(view.selectedText(), "line 7\nline 8\nlin");

    view.appendExactly(numbered(43, 47, "line %1")); // the first selected line goes
    settle();
    EXPECT_EQ(view.selectedText(), "line 8\nlin");
    QApplication::clipboard()->clear();
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "line 8\nlin");

    view.appendExactly(numbered(47, 57, "line %1")); // all of it goes
    settle();
    EXPECT_EQ(view.selectedText(), "");

    const std::unique_ptr<QMenu> menu(view.createContextMenu());
    EXPECT_FALSE(menu->actions().at(0)->isEnabled()) << "Copy, with nothing selected";
    menu->actions().at(1)->trigger(); // Select All
    const std::unique_ptr<QMenu> again(view.createContextMenu());
    again->actions().at(0)->trigger(); // Copy
    EXPECT_EQ(QApplication::clipboard()->text(), view.toPlainText());
}

TEST_F(MessageBox, KeysScrollByRowsPagesAndToEitherEnd)
{
    view.appendExactly(numbered(0, 200));
    settle();
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::function<int(int)> value; // of the value before
    };
    const int page = bar()->pageStep();
    ASSERT_GT(page, 5);
    const Case cases[] = {
        {Qt::Key_PageUp, {}, [&](int v) { return v - page; }},
        {Qt::Key_Up, {}, [](int v) { return v - 1; }},
        {Qt::Key_Home, Qt::ControlModifier, [](int) { return 0; }},
        {Qt::Key_PageDown, {}, [&](int v) { return v + page; }},
        {Qt::Key_Down, {}, [](int v) { return v + 1; }},
        {Qt::Key_End, Qt::ControlModifier, [&](int) { return bar()->maximum(); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QKeySequence(QKeyCombination(c.modifiers, c.key)).toString().toStdString());
        const int expected = c.value(bar()->value());
        QTest::keyClick(&view, c.key, c.modifiers);
        EXPECT_EQ(bar()->value(), expected);
        settle();
        EXPECT_TRUE(onScreen() == repainted());
    }
}

// Plain rows copied from glyph tiles show exactly the pixels glyph runs paint
// there, in every palette and after every change of font or palette; a row
// with selection on it, or over a background of more than one colour, is
// drawn as glyph runs.
TEST_F(MessageBox, PaintsFromGlyphTilesWhatGlyphRunsPaint)
{
    QString ascii; // wraps over several rows
    for (char16_t c = 0x20; c < 0x7f; ++c)
        ascii += QChar(c);
    QString latin1;
    for (char16_t c = 0xa0; c <= 0xff; ++c)
        latin1 += c == 0xad ? QString("\n") : c % 32 == 0 ? QString("\n") + QChar(c) : QString(QChar(c));
    const QPalette own = view.palette();
    QPalette other = own;
    other.setColor(QPalette::Text, Qt::darkRed);
    other.setColor(QPalette::Base, QColor(255, 255, 224));
    QPalette shaded = own;
    QLinearGradient shade(0, 0, 0, 240);
    shade.setColorAt(0, Qt::white);
    shade.setColorAt(1, Qt::lightGray);
    shaded.setBrush(QPalette::Base, shade);
    constexpr int kEvery = -1;
    struct Case {
        const char *what;
        QString text;
        const QPalette &palette;
        bool enabled;
        bool selectWord;
        int otherRows; // drawn as glyph runs or laid out
    };
    // Accented capitals reach above every ASCII glyph: their line is laid out.
    const Case cases[] = {
        {"printable ASCII", ascii, own, true, false, 0},
        {"Latin-1 above 0xa0", latin1, own, true, false, 1},
        {"blanks", "a  b\t\tc \u00a0 d\n\n  \t \n", own, true, false, 0},
        {"dimmed", ascii + '\n' + latin1, own, false, false, 1},
        {"another palette", ascii, other, true, false, 0},
        {"a word selected", "select one word\nof " + ascii, own, true, true, 1},
        {"a shaded background", ascii, shaded, true, false, kEvery},
    };
    for (const int pixels : {12, 14, 17}) {
        SCOPED_TRACE(pixels);
        QFont font = view.font();
        font.setPixelSize(pixels);
        view.setFont(font);
        for (const Case &c : cases) {
            SCOPED_TRACE(c.what);
            view.replaceAll(c.text);
            view.setPalette(c.palette);
            view.setEnabled(c.enabled);
            if (c.selectWord)
                QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, rowStart(0) + QPoint(lineHeight(), 0));
            settle();
            const qint64 before = view.tiledRows();
            const QImage tiles = repainted();
            const qint64 tiled = view.tiledRows() - before;
            view.setGlyphTiles(false);
            const QImage runs = repainted();
            view.setGlyphTiles(true);
            EXPECT_TRUE(tiles == runs);
            EXPECT_EQ(tiled, c.otherRows == kEvery ? 0 : view.rowCount() - c.otherRows);
        }
    }
    view.setPalette(own);
    view.setEnabled(true);
}
