// The message box view on its own: it gives back exactly the text given,
// within its cap, whatever the text edit under it makes of the characters;
// and its find bar.
#include "panel/log/find_bar.h"
#include "panel/log/message_box_view.h"
#include "panel/log/message_pane.h"

#include <QLineEdit>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

TEST(MessageBox, HoldsExactlyTheTextGivenWithinItsCap)
{
    panel::MessageBoxView view;
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
        {"\ufdd0\u2028", "\nx\u00a0y\r\n\u00b5\t\u2029z\ufdd0\u2028"},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.append.toStdString());
        view.appendExactly(s.append);
        EXPECT_EQ(view.exactText(), s.text);
        EXPECT_EQ(view.lineCount(), s.text.count('\n') + 1);
        EXPECT_EQ(view.document()->blockCount(), view.lineCount()) << "the text edit shows the same lines";
    }
    view.replaceAll("new\ntext");
    EXPECT_EQ(view.exactText(), "new\ntext");
    EXPECT_EQ(view.toPlainText(), "new\ntext");
}

// The find bar opens on Ctrl+F in the box, finds forwards and backwards,
// wraps around, says when there is none, and leaves the box's text as it
// was; Escape gives the focus back to the box.
TEST(MessageBox, FindsForwardsAndBackwardsAroundTheTextWithoutChangingIt)
{
    panel::MessagePane pane;
    panel::MessageBoxView *box = pane.box();
    panel::FindBar *bar = pane.findBar();
    const QString text = "VOLTAGE_CH_9 - 2.500V --> 2.5000V   ch9\nInterlock Card3 active\n"
                         "VOLTAGE_CH_19 - 1.000V --> 1.0000V   ch19\n";
    box->appendExactly(text);
    pane.show();
    EXPECT_FALSE(bar->isVisible());
    QTest::keyClick(box, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(pane.focusWidget(), bar->field());

    enum Act { Type, Next, Previous, ShiftEnter };
    struct Step {
        Act act;
        const char *typed;
        int line; // of the match; -1: none
        QString result;
    };
    const Step steps[] = {
        {Type, "voltage", 0, ""},
        {Next, "", 2, ""},
        {Next, "", 0, "Continued from the top"},
        {Previous, "", 2, "Continued from the bottom"},
        {ShiftEnter, "", 0, ""},
        {Type, "_ch_1", 2, ""}, // typing on widens the match, or moves on to the next that has it
        {Type, "x", -1, "Not found: \"voltage_ch_1x\""},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(std::string(s.typed) + " " + std::to_string(s.act));
        switch (s.act) {
        case Type: QTest::keyClicks(bar->field(), s.typed); break;
        case Next: bar->findNext(); break;
        case Previous: bar->findPrevious(); break;
        case ShiftEnter: QTest::keyClick(bar->field(), Qt::Key_Return, Qt::ShiftModifier); break;
        }
        const QTextCursor match = box->textCursor();
        if (s.line >= 0) {
            EXPECT_EQ(match.block().blockNumber(), s.line);
            EXPECT_EQ(match.selectedText().toLower(), bar->field()->text());
        } else {
            EXPECT_TRUE(box->extraSelections().isEmpty());
        }
        EXPECT_EQ(bar->result(), s.result);
    }
    EXPECT_EQ(box->exactText(), text);
    EXPECT_EQ(box->toPlainText(), text);

    QTest::keyClick(bar->field(), Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(pane.focusWidget(), box);
}
