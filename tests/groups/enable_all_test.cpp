// "Enable All 42 Channels !": the warning, the answers that cancel, and which
// channels are switched on, in which order.
#include "support/scenario.h"
#include "support/state_file.h"
#include "support/paints.h"
#include "support/panel_harness.h"

#include "panel/api/ui.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <set>

using scenario::Chassis;

namespace {

const char kTitle[] = "Enable All 42 Channels";
const char kText[] = "Would you really like to enable all 42 channels?\n\n"
                     "In case of 42 channels are cascaded then high Voltage can occur: Maximum 42 * 7V = 294V\n";

std::vector<int> enableValues(const PanelHarness &h)
{
    std::vector<int> values;
    for (int n = 1; n <= 42; ++n)
        values.push_back(h.intValue(controls::enableOf(n)));
    return values;
}

// The lines and card calls of switching channel n on at card `card`, with
// the channel's voltage at 1 V.
void switchedOn(int n, int card, std::string &lines, std::vector<std::string> &calls)
{
    const std::string ch = std::to_string(n);
    lines += "ENABLE_" + ch + " - 1    ch" + ch + "\n";
    lines += "VOLTAGE_CH_" + ch + " - 1.000V --> 1.0000V   ch" + ch + "\n";
    const std::string at = std::to_string(card) + "/" + std::to_string((n - 1) % 6 + 1);
    calls.push_back("BattSetEnable " + at + " 1");
    calls.push_back("BattSetVoltage " + at + " 1");
    calls.push_back("BattGetVoltage " + at + " -> 1");
}

} // namespace

TEST(EnableAll, AnyAnswerButYesChangesNothing)
{
    struct Case {
        const char *what;
        int answer;
    };
    for (const Case &c : {Case{"no, or Enter", 2}, Case{"Escape or the close box", 0}}) {
        SCOPED_TRACE(c.what);
        PanelHarness h;
        ASSERT_EQ(h.start(), 0);
        h.press(ctrl::RE_ENABLE_ALL);
        h.clearTrace();
        const std::string before = h.messageBox();
        h.popups.confirmAnswers = {c.answer};

        h.press(ctrl::ENABLEALL);

        ASSERT_EQ(h.popups.shown.size(), 1u);
        EXPECT_EQ(h.popups.shown[0].kind, "confirm");
        EXPECT_EQ(h.popups.shown[0].title, kTitle);
        EXPECT_EQ(h.popups.shown[0].text, kText);
        EXPECT_TRUE(h.trace().empty());
        EXPECT_EQ(h.messageBox(), before);
        EXPECT_EQ(enableValues(h), std::vector<int>(42, 0));
    }
}

// The program's own dialog: "yes" has the focus, yet Enter answers "no";
// Escape and the close box cancel; only a click on "yes" switches on.
TEST(EnableAll, TheRealConfirmationDialog)
{
    struct Case {
        const char *what;
        std::function<void(QDialog *)> operatorDoes;
        bool switchedOn;
    };
    const auto button = [](QDialog *d, const char *text) {
        for (QPushButton *b : d->findChildren<QPushButton *>())
            if (b->text() == text)
                return b;
        return static_cast<QPushButton *>(nullptr);
    };
    const Case cases[] = {
        {"Enter", [](QDialog *d) { QTest::keyClick(d->focusWidget(), Qt::Key_Return); }, false},
        {"keypad Enter", [](QDialog *d) { QTest::keyClick(d->focusWidget(), Qt::Key_Enter); }, false},
        {"Escape", [](QDialog *d) { QTest::keyClick(d->focusWidget(), Qt::Key_Escape); }, false},
        {"close box", [](QDialog *d) { d->close(); }, false},
        {"no", [&](QDialog *d) { QTest::mouseClick(button(d, "no"), Qt::LeftButton); }, false},
        {"yes", [&](QDialog *d) { QTest::mouseClick(button(d, "yes"), Qt::LeftButton); }, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PanelHarness h(Chassis::at({2}));
        ASSERT_EQ(h.start(), 0);
        h.press(ctrl::RE_ENABLE_ALL);
        ui::setPopupPresenter(nullptr);
        h.clearTrace();

        QString title, text, focused;
        QStringList buttons;
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen = true;
            title = dialog->windowTitle();
            for (const QLabel *label : dialog->findChildren<QLabel *>())
                text += label->text();
            for (const QPushButton *b : dialog->findChildren<QPushButton *>())
                buttons << b->text();
            if (const auto *f = qobject_cast<QPushButton *>(dialog->focusWidget()))
                focused = f->text();
            c.operatorDoes(dialog);
        });
        h.press(ctrl::ENABLEALL);
        ui::setPopupPresenter(&h.popups);

        ASSERT_TRUE(seen);
        EXPECT_EQ(title.toStdString(), kTitle);
        EXPECT_EQ(text.toStdString(), kText);
        EXPECT_EQ(buttons, (QStringList{"yes", "no"}));
        EXPECT_EQ(focused, "yes");
        EXPECT_EQ(h.trace().size(), c.switchedOn ? 18u : 0u);
        EXPECT_EQ(h.intValue(ctrl::ENABLE_7), c.switchedOn ? 1 : 0);
    }
}

TEST(EnableAll, YesSwitchesOnEveryChannelOfTheFoundCardsOnlyInOrder)
{
    PanelHarness h(Chassis::at({2, 5}));
    ASSERT_EQ(h.start(), 0);
    h.press(ctrl::RE_ENABLE_ALL);
    h.press(ctrl::ENABLE_8); // already on: switched on again all the same
    h.clearTrace();
    const std::string before = h.messageBox();
    h.popups.confirmAnswers = {1};

    h.press(ctrl::ENABLEALL);

    std::string lines;
    std::vector<std::string> calls;
    for (int n = 7; n <= 12; ++n)
        switchedOn(n, h.app.card(2).Card, lines, calls);
    for (int n = 25; n <= 30; ++n)
        switchedOn(n, h.app.card(5).Card, lines, calls);
    EXPECT_EQ(h.messageBox(), before + lines) << "no line of its own";
    EXPECT_EQ(h.calls(), calls);
    std::vector<int> expected(42, 0);
    for (int n : {7, 8, 9, 10, 11, 12, 25, 26, 27, 28, 29, 30})
        expected[n - 1] = 1;
    EXPECT_EQ(enableValues(h), expected);
}

// A long operation shows its lines as it goes, not only at its end: the box
// on the screen grows paint by paint while the card calls take their time.
TEST(EnableAll, ItAndTheReCallOfCurrentsShowTheirLinesAsTheyGo)
{
    for (const int button : {ctrl::ENABLEALL, ctrl::RE_CALL_CUURENT_ALL}) {
        SCOPED_TRACE(button);
        PanelHarness h(Chassis::at({1}).latency(8));
        ASSERT_EQ(h.start(), 0);
        h.press(ctrl::RE_ENABLE_ALL);
        h.popups.confirmAnswers = {1};
        auto *box = qobject_cast<QPlainTextEdit *>(h.widget(ctrl::MSGBOX));
        ASSERT_NE(box, nullptr);
        std::set<int> linesOnScreen;
        {
            const PaintWatch watch(box->viewport(),
                                   [&](const QRect &) { linesOnScreen.insert(box->document()->blockCount()); });
            h.press(button);
        }
        EXPECT_GE(linesOnScreen.size(), 3u) << "paints with more lines each time while it ran";
    }
}

TEST(EnableAll, RefusedOrIdleCasesSwitchNothingOn)
{
    // Right after a reset every voltage is dimmed: each enable operation
    // refuses, the switches end off and the box is left empty.
    {
        PanelHarness h(Chassis::at({1, 3}));
        ASSERT_EQ(h.start(), 0);
        h.press(ctrl::RE_ENABLE_ALL);
        h.press(ctrl::RESET);
        h.clearTrace();
        h.popups.confirmAnswers = {1};
        h.press(ctrl::ENABLEALL);
        EXPECT_TRUE(h.trace().empty());
        EXPECT_EQ(h.messageBox(), "");
        EXPECT_EQ(enableValues(h), std::vector<int>(42, 0));
    }
    // No card found: the warning still comes; "yes" touches no switch.
    {
        PanelHarness h(Chassis::at({}));
        ASSERT_EQ(h.start(), 0);
        h.clearTrace();
        const std::string before = h.messageBox();
        h.popups.confirmAnswers = {1};
        h.press(ctrl::ENABLEALL);
        EXPECT_EQ(h.popups.withTitle(kTitle).size(), 1u);
        EXPECT_TRUE(h.trace().empty());
        EXPECT_EQ(h.messageBox(), before);
        EXPECT_EQ(enableValues(h), std::vector<int>(42, 0));
    }
}

TEST(EnableAll, ALostConnectionStopsTheTrafficButNotTheSwitchesOfThatCard)
{
    PanelHarness h(Chassis::at({1, 3}).fault({"KORDA_BattSetEnable", 4112, "300001", 2}));
    ASSERT_EQ(h.start(), 0);
    h.press(ctrl::RE_ENABLE_ALL);
    h.clearTrace();
    h.popups.confirmAnswers = {1};

    h.press(ctrl::ENABLEALL);

    const std::string c = std::to_string(h.app.card(1).Card);
    const std::vector<std::string> expected = {"BattSetEnable " + c + "/1 1", "BattSetVoltage " + c + "/1 1",
                                               "BattGetVoltage " + c + "/1 -> 1", "BattSetEnable " + c + "/2 1 !4112"};
    EXPECT_EQ(h.calls(), expected);
    std::vector<int> values(42, 0);
    for (int n = 1; n <= 6; ++n)
        values[n - 1] = 1; // set on the panel before each (idle) enable operation
    EXPECT_EQ(enableValues(h), values) << "position 3 is skipped: no longer found";
    EXPECT_EQ(h.popups.withTitle("ERROR KORDA").size(), 1u);
}
