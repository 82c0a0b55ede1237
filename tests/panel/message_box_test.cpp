// The message box view on its own: it gives back exactly the text given,
// within its cap, whatever the text edit under it makes of the characters.
#include "panel/log/message_box_view.h"

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
