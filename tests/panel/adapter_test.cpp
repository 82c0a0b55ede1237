// The toolkit adapter as the operator meets it: one commit per confirmed
// change, values set from code never commit, dimmed controls refuse, the
// message box appends exactly, and timer ticks come only when nothing else runs.
#include "front_panel_fixture.h"
#include "panel/toolkit/dialog_popups.h"
#include "panel/window/frame_pacer.h"
#include "panel/log/message_box_view.h"
#include "support/toolkit_test_access.h"
#include "support/operator_actions.h"
#include "support/paints.h"
#include "support/scratch_disk.h"

#include <QAbstractSpinBox>
#include <QDir>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QMenu>
#include <QTemporaryDir>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyleOption>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>

using namespace operator_actions;

namespace {

class Adapter : public FrontPanelTest {
protected:
    QWidget *input(int control) { return inputOf(panel, control); }
};

} // namespace

TEST_F(Adapter, ArrowStepsCommitOncePerStepWithTheControlsStep)
{
    struct Case {
        int control;
        double afterUp;
    };
    const Case cases[] = {
        {ctrl::VOLTAGE_CH_1, 1.05}, {ctrl::VOLTAGE_CH_7, 1.05}, {ctrl::VOLTAGE_CH_2, 1.5},
        {ctrl::VOLTAGE_CH_8, 1.5},  {ctrl::VOLTAGE_CH_42, 1.5}, {ctrl::CURRENT_SINK_CH_5, 1.0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(ui::constantName(panel, c.control));
        events.clear();
        clickArrow(input(c.control), true);
        EXPECT_EQ(ui::getDouble(panel, c.control), c.afterUp);
        EXPECT_EQ(commitsOf(c.control).size(), 1u);
        clickArrow(input(c.control), true);
        clickArrow(input(c.control), false);
        EXPECT_EQ(commitsOf(c.control).size(), 3u);
        EXPECT_EQ(events.size(), 3u) << "no other control committed";
    }
    EXPECT_EQ(qobject_cast<QAbstractSpinBox *>(input(ctrl::VOLTAGE_CH_1))->text(), "1.050");

    // At a limit the arrow changes nothing, and nothing is committed.
    events.clear();
    clickArrow(input(ctrl::CURRENT_SINK_CH_6), false);
    EXPECT_EQ(ui::getInt(panel, ctrl::CURRENT_SINK_CH_6), 0);
    EXPECT_TRUE(events.empty());
}

TEST_F(Adapter, TypedValuesCommitOnceOnEnterOrOnLeavingTheField)
{
    QWidget *volts = input(ctrl::VOLTAGE_CH_9);
    type(volts, "2.5");
    EXPECT_EQ(ui::getDouble(panel, ctrl::VOLTAGE_CH_9), 2.5);
    EXPECT_EQ(commitsOf(ctrl::VOLTAGE_CH_9).size(), 1u);

    // Enter again, and leaving, with nothing changed: no commit.
    QTest::keyClick(volts, Qt::Key_Return);
    leave(volts);
    EXPECT_EQ(commitsOf(ctrl::VOLTAGE_CH_9).size(), 1u);

    // Typed, then the field is left: one commit.
    type(volts, "3.25", false);
    EXPECT_EQ(commitsOf(ctrl::VOLTAGE_CH_9).size(), 1u) << "typing alone commits nothing";
    leave(volts, Qt::MouseFocusReason);
    EXPECT_EQ(ui::getDouble(panel, ctrl::VOLTAGE_CH_9), 3.25);
    EXPECT_EQ(commitsOf(ctrl::VOLTAGE_CH_9).size(), 2u);

    // A popup taking the focus is not the operator leaving: the typed value
    // waits for Enter.
    type(volts, "4", false);
    leave(volts, Qt::ActiveWindowFocusReason);
    EXPECT_EQ(commitsOf(ctrl::VOLTAGE_CH_9).size(), 2u);
    QTest::keyClick(volts, Qt::Key_Return);
    EXPECT_EQ(commitsOf(ctrl::VOLTAGE_CH_9).size(), 3u);
    EXPECT_EQ(ui::getDouble(panel, ctrl::VOLTAGE_CH_9), 4.0);

    // A value beyond the limits shows as typed and is refused: the field goes
    // back to the value in force and nothing is committed.
    // So is a text that is not exactly a number of the field's kind: its
    // keys are not dropped to leave some other number.
    for (const char *refused : {"9", "12", "-1", "7.5", "7.001", "5V", "1e2", "1e0", "5E-1", ".25e1", "2,5", "2.5001",
                                "0x5", "3.5.1"}) {
        SCOPED_TRACE(refused);
        type(volts, refused, false);
        EXPECT_EQ(qobject_cast<QAbstractSpinBox *>(volts)->text(), refused);
        QTest::keyClick(volts, Qt::Key_Return);
        EXPECT_EQ(ui::getDouble(panel, ctrl::VOLTAGE_CH_9), 4.0);
        EXPECT_EQ(qobject_cast<QAbstractSpinBox *>(volts)->text(), "4.000");
    }
    type(volts, "abc");
    EXPECT_EQ(ui::getDouble(panel, ctrl::VOLTAGE_CH_9), 4.0);
    EXPECT_EQ(commitsOf(ctrl::VOLTAGE_CH_9).size(), 3u);
    type(input(ctrl::CURRENT_SINK_CH_5), "250");
    EXPECT_EQ(ui::getInt(panel, ctrl::CURRENT_SINK_CH_5), 0);
    for (const char *refused : {"-3", "1e2", "1e0", "12mA", "5.5"}) {
        SCOPED_TRACE(refused);
        type(input(ctrl::CURRENT_SINK_CH_5), refused, false);
        EXPECT_EQ(qobject_cast<QAbstractSpinBox *>(input(ctrl::CURRENT_SINK_CH_5))->text(), refused);
        QTest::keyClick(input(ctrl::CURRENT_SINK_CH_5), Qt::Key_Return);
        EXPECT_EQ(ui::getInt(panel, ctrl::CURRENT_SINK_CH_5), 0);
    }
    EXPECT_TRUE(commitsOf(ctrl::CURRENT_SINK_CH_5).empty());

    type(input(ctrl::CURRENT_SINK_CH_5), "50");
    EXPECT_EQ(ui::getInt(panel, ctrl::CURRENT_SINK_CH_5), 50);
    EXPECT_EQ(commitsOf(ctrl::CURRENT_SINK_CH_5).size(), 1u);
}

TEST_F(Adapter, TextFieldsCommitOncePerChangeAndKeepTheirEntryLimits)
{
    QWidget *sn = input(ctrl::SN_4);
    type(sn, "300044");
    EXPECT_EQ(ui::getText(panel, ctrl::SN_4), "300044");
    EXPECT_EQ(commitsOf(ctrl::SN_4).size(), 1u);
    QTest::keyClick(sn, Qt::Key_Return);
    leave(sn);
    EXPECT_EQ(commitsOf(ctrl::SN_4).size(), 1u);

    type(sn, "12345678901234567890123");
    EXPECT_EQ(ui::getText(panel, ctrl::SN_4), "1234567890123456789");
    type(input(ctrl::IPADDRESS), "192.168.100.100.200");
    EXPECT_EQ(ui::getText(panel, ctrl::IPADDRESS), "192.168.100.100");
    type(input(ctrl::strCh_5), "a name that is too long");
    EXPECT_EQ(ui::getText(panel, ctrl::strCh_5), "a name that is ");

    // A longer text set from code stays whole; the operator can shorten it,
    // never lengthen it.
    ui::setText(panel, ctrl::IPADDRESS, "a chassis host name");
    EXPECT_EQ(ui::getText(panel, ctrl::IPADDRESS), "a chassis host name");
    QWidget *ip = input(ctrl::IPADDRESS);
    QTest::keyClick(ip, Qt::Key_End);
    QTest::keyClick(ip, Qt::Key_Backspace);
    QTest::keyClicks(ip, "xy");
    EXPECT_EQ(ui::getText(panel, ctrl::IPADDRESS), "a chassis host nam");
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(ip, Qt::Key_Backspace);
    QTest::keyClicks(ip, "xyz");
    EXPECT_EQ(ui::getText(panel, ctrl::IPADDRESS), "a chassis hosxy");
}

TEST_F(Adapter, ValuesSetFromCodeNeverCommit)
{
    ui::setDouble(panel, ctrl::VOLTAGE_CH_1, 2.0);
    ui::setInt(panel, ctrl::CURRENT_SINK_CH_1, 20);
    ui::setInt(panel, ctrl::ENABLE_1, 1);
    ui::setInt(panel, ctrl::PXI, 1);
    ui::setInt(panel, ctrl::SET_V_ALL_MODULE1, 1);
    ui::setText(panel, ctrl::SN_1, "123456");
    ui::setText(panel, ctrl::IPADDRESS, "10.0.0.5");
    ui::setInt(panel, ctrl::INTERLOCK_1, 1);
    EXPECT_TRUE(events.empty());
    // And the operator's next look at them starts from those values.
    leave(input(ctrl::VOLTAGE_CH_1));
    leave(input(ctrl::SN_1));
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(ui::getDouble(panel, ctrl::VOLTAGE_CH_1), 2.0);
    EXPECT_EQ(ui::getInt(panel, ctrl::ENABLE_1), 1);
    EXPECT_EQ(ui::getInt(panel, ctrl::SET_V_ALL_MODULE1), 1);
    // Numbers from code stay within the control's limits.
    ui::setDouble(panel, ctrl::VOLTAGE_CH_1, 12.0);
    ui::setInt(panel, ctrl::CURRENT_SINK_CH_1, -5);
    EXPECT_EQ(ui::getDouble(panel, ctrl::VOLTAGE_CH_1), 7.0);
    EXPECT_EQ(ui::getInt(panel, ctrl::CURRENT_SINK_CH_1), 0);
}

TEST_F(Adapter, EachPressOfAButtonOrSwitchCommitsOnce)
{
    click(input(ctrl::ENABLE_1));
    EXPECT_EQ(ui::getInt(panel, ctrl::ENABLE_1), 1);
    click(input(ctrl::ENABLE_1));
    EXPECT_EQ(ui::getInt(panel, ctrl::ENABLE_1), 0);
    EXPECT_EQ(commitsOf(ctrl::ENABLE_1).size(), 2u);

    click(input(ctrl::SET_V_ALL_MODULE3));
    EXPECT_EQ(ui::getInt(panel, ctrl::SET_V_ALL_MODULE3), 1) << "a toggle button stays pressed until released";
    click(input(ctrl::RESET));
    click(input(ctrl::STARTUP_MSG)); // no callback: the value changes, nothing is called
    EXPECT_EQ(ui::getInt(panel, ctrl::STARTUP_MSG), 1);
    const std::vector<RecordedEvent> expected = {{ctrl::ENABLE_1, ui::kCommit},
                                                 {ctrl::ENABLE_1, ui::kCommit},
                                                 {ctrl::SET_V_ALL_MODULE3, ui::kCommit},
                                                 {ctrl::RESET, ui::kCommit}};
    EXPECT_EQ(events, expected);
}

TEST_F(Adapter, DimmedControlsCannotBeOperated)
{
    ui::setDimmed(panel, ctrl::VOLTAGE_CH_2, true);
    ui::setDimmed(panel, ctrl::ENABLE_2, true);
    EXPECT_TRUE(ui::isDimmed(panel, ctrl::VOLTAGE_CH_2));
    EXPECT_FALSE(input(ctrl::VOLTAGE_CH_2)->isEnabled());
    clickArrow(input(ctrl::VOLTAGE_CH_2), true);
    click(input(ctrl::ENABLE_2));
    // Even a commit that reaches the toolkit some other way is refused.
    panel::Toolkit::instance().operatorCommit(panel, ctrl::VOLTAGE_CH_2);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(ui::getDouble(panel, ctrl::VOLTAGE_CH_2), 1.0);

    // Setting from code still works on a dimmed control.
    ui::setDouble(panel, ctrl::VOLTAGE_CH_2, 2.0);
    EXPECT_EQ(ui::getDouble(panel, ctrl::VOLTAGE_CH_2), 2.0);

    ui::setDimmed(panel, ctrl::VOLTAGE_CH_2, false);
    clickArrow(input(ctrl::VOLTAGE_CH_2), true);
    EXPECT_EQ(commitsOf(ctrl::VOLTAGE_CH_2).size(), 1u);
}

TEST_F(Adapter, TheWheelChangesANumericOnlyWhileItHasTheFocus)
{
    QWidget *volts = input(ctrl::VOLTAGE_CH_3);
    ASSERT_FALSE(volts->hasFocus());
    const QPointF at = volts->rect().center();
    QWheelEvent wheel(at, volts->mapToGlobal(at), QPoint(0, 0), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(volts, &wheel);
    EXPECT_EQ(ui::getDouble(panel, ctrl::VOLTAGE_CH_3), 1.0);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(volts->focusPolicy(), Qt::StrongFocus) << "the wheel must not give focus";
}

TEST_F(Adapter, TheMessageBoxAppendsExactlyAndStaysBounded)
{
    ui::setText(panel, ctrl::MSGBOX, " searching cards ");
    ui::setText(panel, ctrl::MSGBOX, " in PXI Chassis...\n");
    ui::setText(panel, ctrl::MSGBOX, "\nCard1 S/N 300001 found");
    ui::setText(panel, ctrl::MSGBOX, "");
    ui::setText(panel, ctrl::MSGBOX, "\n...OK!\n");
    EXPECT_EQ(ui::getText(panel, ctrl::MSGBOX),
              " searching cards  in PXI Chassis...\n\nCard1 S/N 300001 found\n...OK!\n");
    ui::resetTextBox(panel, ctrl::MSGBOX, "");
    EXPECT_EQ(ui::getText(panel, ctrl::MSGBOX), "");
    EXPECT_TRUE(events.empty());

    // Days of interlock lines: the box keeps the newest ones, in view.
    for (int i = 0; i < 25000; ++i)
        ui::setText(panel, ctrl::MSGBOX, "Interlock Card2 active (press RESET to resume)\n");
    ui::setText(panel, ctrl::MSGBOX, "the newest line\n");
    auto *box = qobject_cast<panel::MessageBoxView *>(input(ctrl::MSGBOX));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(QString::fromStdString(ui::getText(panel, ctrl::MSGBOX)).endsWith("\nthe newest line\n"));
    EXPECT_EQ(box->lineCount(), 10000) << "read after the flush the read above made";
    EXPECT_EQ(box->verticalScrollBar()->value(), box->verticalScrollBar()->maximum());
}

TEST_F(Adapter, TicksComeOnlyFromTheEventLoopAndNeverDuringACallbackOrPopup)
{
    auto &toolkit = panel::Toolkit::instance();
    const auto ticks = [&] {
        int n = 0;
        for (const RecordedEvent &e : events)
            n += e.control == ctrl::TIMER && e.event == ui::kTimerTick;
        return n;
    };
    EXPECT_TRUE(ui::isTimerEnabled(panel, ctrl::TIMER)) << "enabled from load";
    toolkit.deliverTimerTick(panel, ctrl::TIMER);
    EXPECT_EQ(ticks(), 0) << "before the event loop runs";

    panel::ToolkitTestAccess::enterLoop();
    toolkit.deliverTimerTick(panel, ctrl::TIMER);
    EXPECT_EQ(ticks(), 1);

    // A tick falling due inside a callback, and inside a popup it opened, is dropped.
    duringCallback = [&](int control, int) {
        if (control != ctrl::RESET)
            return;
        toolkit.deliverTimerTick(panel, ctrl::TIMER);
        ui::messagePopup("title", "text");
    };
    popups.whileOpen = [&](const ShownPopup &) { toolkit.deliverTimerTick(panel, ctrl::TIMER); };
    click(input(ctrl::RESET));
    EXPECT_EQ(ticks(), 1);
    EXPECT_EQ(popups.shown.size(), 1u);

    // A popup open outside any callback holds the ticks back as well.
    duringCallback = nullptr;
    ui::messagePopup("title", "text");
    EXPECT_EQ(ticks(), 1);

    ui::setTimerEnabled(panel, ctrl::TIMER, false);
    toolkit.deliverTimerTick(panel, ctrl::TIMER);
    EXPECT_EQ(ticks(), 1) << "a stopped timer does not tick";
    panel::ToolkitTestAccess::leaveLoop();
}

TEST_F(Adapter, TheRealTimerTicksInTheLoopButNotUnderAModalDialog)
{
    ui::setPopupPresenter(nullptr); // the program's own dialogs
    const auto ticks = [&] {
        int n = 0;
        for (const RecordedEvent &e : events)
            n += e.control == ctrl::TIMER;
        return n;
    };
    // A modal dialog opened from a callback spins its own event loop, where
    // the timer keeps firing: none of those ticks may reach the callback.
    duringCallback = [&](int control, int) {
        if (control != ctrl::RESET)
            return;
        QTimer::singleShot(1300, [] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *box = qobject_cast<QMessageBox *>(w))
                    box->accept();
        });
        ui::messagePopup("held", "the timer must not tick now");
    };
    QTimer::singleShot(0, [&] { click(input(ctrl::RESET)); });
    QTimer::singleShot(1500, [&] {
        EXPECT_EQ(ticks(), 0) << "ticks while the dialog was open";
        duringCallback = nullptr;
    });
    QTimer::singleShot(2500, [] { ui::quitUserInterface(); });
    QElapsedTimer clock;
    clock.start();
    ui::runUserInterface();
    EXPECT_GE(clock.elapsed(), 2000);
    // About 2.5 ticks fit between the dialog closing and the end.
    EXPECT_GE(ticks(), 1);
    EXPECT_LE(ticks(), 4);
}

// A menu opened to copy a line, and the Save As dialog, are no callback: the
// interlock poll goes on while they are open. (A popup of a callback holds
// the ticks back, above.)
TEST_F(Adapter, TicksGoOnWhileTheMessageBoxMenuOrItsSaveAsDialogIsOpen)
{
    QWidget *box = input(ctrl::MSGBOX);
    for (const bool saveAs : {false, true}) {
        SCOPED_TRACE(saveAs ? "the Save As dialog" : "the context menu");
        events.clear();
        bool opened = false;
        std::ptrdiff_t ticksWhileOpen = 0;
        QTimer::singleShot(0, [&] { // as the Menu key does
            QCoreApplication::postEvent(box, new QContextMenuEvent(QContextMenuEvent::Keyboard, box->rect().center(),
                                                                    box->mapToGlobal(box->rect().center())));
        });
        QObject thisCase; // its poll goes with it
        if (saveAs)
            whenShown(&thisCase, "QMenu", [](QWidget *w) {
                auto *menu = qobject_cast<QMenu *>(w);
                for (QAction *a : menu->actions())
                    if (a->text() == "Save As...")
                        menu->setActiveAction(a);
                QTest::keyClick(menu, Qt::Key_Return); // the dialog's loop runs in here
            });
        QTimer::singleShot(1300, [&] {
            QWidget *open = saveAs ? QApplication::activeModalWidget() : QApplication::activePopupWidget();
            opened = saveAs ? qobject_cast<QFileDialog *>(open) != nullptr : qobject_cast<QMenu *>(open) != nullptr;
            ticksWhileOpen = std::count(events.begin(), events.end(), RecordedEvent{ctrl::TIMER, ui::kTimerTick});
            if (open)
                open->close();
            ui::quitUserInterface();
        });
        ui::runUserInterface();
        EXPECT_TRUE(opened);
        EXPECT_GE(ticksWhileOpen, 2) << "three ticks fall due while it is open";
    }
}

TEST_F(Adapter, AnOperatorCommitArrivingDuringACallbackWaitsForItsEnd)
{
    duringCallback = [&](int control, int) {
        if (control == ctrl::RESET)
            panel::Toolkit::instance().operatorCommit(panel, ctrl::VOLTAGE_CH_4);
        events.push_back({-control, 0}); // marks the callback's end
    };
    click(input(ctrl::RESET));
    const std::vector<RecordedEvent> expected = {{ctrl::RESET, ui::kCommit},
                                                 {-ctrl::RESET, 0},
                                                 {ctrl::VOLTAGE_CH_4, ui::kCommit},
                                                 {-ctrl::VOLTAGE_CH_4, 0}};
    EXPECT_EQ(events, expected);
}

// A command of the menu bar runs as a callback does: a tick falling due
// meanwhile is dropped, a commit arriving meanwhile runs after it, and once
// quit has been asked for nothing runs.
TEST_F(Adapter, ACommandOfTheMenuBarIsDispatchedAsACallbackIs)
{
    ui::addPanelCommand(panel, "&Test", "&Run", "", [](int, void *data) {
        auto *self = static_cast<FrontPanelTest *>(data);
        self->events.push_back({0, 0});
        self->duringCallback(0, 0);
    });
    auto &toolkit = panel::Toolkit::instance();
    duringCallback = [&](int control, int) {
        if (control != 0)
            return;
        toolkit.deliverTimerTick(panel, ctrl::TIMER);
        toolkit.operatorCommit(panel, ctrl::VOLTAGE_CH_4);
        events.push_back({-1, 0}); // the command's end
    };
    panel::ToolkitTestAccess::enterLoop();
    chooseCommand(input(ctrl::MSGBOX)->window(), "Run");
    const std::vector<RecordedEvent> expected = {{0, 0}, {-1, 0}, {ctrl::VOLTAGE_CH_4, ui::kCommit}};
    EXPECT_EQ(events, expected);

    ui::quitUserInterface();
    chooseCommand(input(ctrl::MSGBOX)->window(), "Run");
    EXPECT_EQ(events, expected);
    panel::ToolkitTestAccess::leaveLoop();
}

// A long callback that repaints after every step paints at most once per
// frame; a step that took a frame is painted at once; what is owed is on the
// screen before a popup opens and within a frame after the callback returns.
TEST_F(Adapter, RepaintsAtMostOncePerFrameAndWithinAFrameOfTheEnd)
{
    const int frame = panel::FramePacer::kFrameMs;
    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> paints;
    QWidget *box = static_cast<QPlainTextEdit *>(input(ctrl::MSGBOX))->viewport();
    const PaintWatch watch(box, [&](const QRect &) { paints.push_back(clock.elapsed()); });
    qint64 lastLine = 0;
    const auto step = [&](int i) {
        ui::setText(panel, ctrl::MSGBOX, "line " + std::to_string(i) + "\n");
        lastLine = clock.elapsed();
        ui::processDrawEvents(panel);
    };
    std::size_t atPopup = 0;
    popups.whileOpen = [&](const ShownPopup &) {
        atPopup = paints.size();
        EXPECT_GE(paints.back(), lastLine) << "the owed paint came before the popup";
    };
    qint64 quickFrom = 0, quickTo = 0;
    std::size_t quickPaints = 0;
    duringCallback = [&](int control, int) {
        if (control != ctrl::RESET)
            return;
        quickFrom = clock.elapsed();
        const std::size_t before = paints.size();
        for (int i = 0; i < 300; ++i)
            step(i);
        quickTo = clock.elapsed();
        quickPaints = paints.size() - before;
        QThread::msleep(frame + 4); // a step that takes a frame
        const std::size_t beforeSlow = paints.size();
        step(300);
        EXPECT_EQ(paints.size(), beforeSlow + 1) << "painted at once";
        step(301);
        ui::messagePopup("title", "text");
        ui::setText(panel, ctrl::MSGBOX, "the last line\n");
        lastLine = clock.elapsed();
    };
    click(input(ctrl::RESET));
    const qint64 ended = clock.elapsed();
    EXPECT_LE(quickPaints, static_cast<std::size_t>((quickTo - quickFrom) / frame + 1));
    EXPECT_GT(atPopup, 0u);
    QTest::qWait(4 * frame);
    ASSERT_FALSE(paints.empty());
    EXPECT_GE(paints.back(), lastLine) << "the last line was painted";
    EXPECT_LE(paints.back() - ended, 2 * frame) << "within a frame of the end";
    EXPECT_GE(paints.back() - paints[atPopup - 1], frame - 1) << "not within the frame of the paint before";
}

TEST_F(Adapter, TheCloseBoxCommitsQuitAndLeavesTheWindow)
{
    QWidget *window = input(ctrl::MSGBOX)->window();
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    const std::vector<RecordedEvent> expected = {{ctrl::QUIT, ui::kCommit}};
    EXPECT_EQ(events, expected);
}

TEST_F(Adapter, AttributesAndWindowPosition)
{
    EXPECT_TRUE(ui::isVisible(panel, ctrl::AVAILABLE_3));
    ui::setVisible(panel, ctrl::AVAILABLE_3, false);
    EXPECT_FALSE(ui::isVisible(panel, ctrl::AVAILABLE_3));
    EXPECT_FALSE(input(ctrl::AVAILABLE_3)->isVisible());
    EXPECT_EQ(ui::constantName(panel, ctrl::CURRENT_SINK_CH_5), "CURRENT_SINK_CH_5");
    EXPECT_EQ(ui::constantName(panel, ctrl::RE_CALL_CUURENT_ALL), "RE_CALL_CUURENT_ALL");
    ui::setPanelLeft(panel, 130);
    ui::setPanelTop(panel, 70);
    EXPECT_EQ(ui::panelLeft(panel), 130);
    EXPECT_EQ(ui::panelTop(panel), 70);
}

TEST_F(Adapter, ATickThatFellDueDuringALongCallbackIsDroppedNotDeliveredLate)
{
    QElapsedTimer clock;
    qint64 callbackEnded = -1;
    std::vector<qint64> tickTimes;
    duringCallback = [&](int control, int event) {
        if (event == ui::kTimerTick) {
            tickTimes.push_back(clock.elapsed());
            return;
        }
        if (control == ctrl::RESET) {
            QThread::msleep(700); // longer than the 0.4 s interval, no popup
            callbackEnded = clock.elapsed();
        }
    };
    QTimer::singleShot(50, [&] { click(input(ctrl::RESET)); });
    QTimer::singleShot(1600, [] { ui::quitUserInterface(); });
    clock.start();
    ui::setTimerEnabled(panel, ctrl::TIMER, true); // the interval starts now
    ui::runUserInterface();
    ASSERT_GT(callbackEnded, 0);
    const auto after = std::find_if(tickTimes.begin(), tickTimes.end(), [&](qint64 t) { return t >= callbackEnded; });
    ASSERT_NE(after, tickTimes.end());
    EXPECT_GE(*after - callbackEnded, 300) << "the next tick keeps its interval after the callback";
    EXPECT_EQ(std::count_if(tickTimes.begin(), tickTimes.end(), [&](qint64 t) { return t >= 50 && t < callbackEnded; }), 0);
}

// An operator reading back while lines arrive keeps the view; back at the
// bottom, the box follows the newest line again.
TEST_F(Adapter, TheMessageBoxFollowsOnlyWhileItsViewIsAtTheBottom)
{
    auto *box = qobject_cast<panel::MessageBoxView *>(input(ctrl::MSGBOX));
    ASSERT_NE(box, nullptr);
    QScrollBar *bar = box->verticalScrollBar();
    for (int i = 0; i < 300; ++i)
        ui::setText(panel, ctrl::MSGBOX, "Interlock Card2 active (press RESET to resume)\n");
    ui::processDrawEvents(panel); // where the gathered lines go in
    ASSERT_GT(bar->maximum(), 20);
    EXPECT_EQ(bar->value(), bar->maximum());

    bar->setValue(10);
    for (int i = 0; i < 50; ++i)
        ui::setText(panel, ctrl::MSGBOX, "Interlock Card3 active (press RESET to resume)\n");
    ui::processDrawEvents(panel);
    EXPECT_EQ(bar->value(), 10) << "a scrolled-up view stays";

    bar->setValue(bar->maximum());
    const int before = bar->maximum();
    ui::setText(panel, ctrl::MSGBOX, "one more\nand the newest\n");
    ui::processDrawEvents(panel);
    EXPECT_GT(bar->maximum(), before);
    EXPECT_EQ(bar->value(), bar->maximum()) << "at the bottom it follows";
}

// "Save As..." writes exactly the box's text; a write that fails is reported
// in a popup and changes neither the box, nor the file there, nor the panel.
TEST_F(Adapter, TheMessageBoxSavesItsTextAndReportsAFailedWrite)
{
    auto *box = qobject_cast<panel::MessageBoxView *>(input(ctrl::MSGBOX));
    ASSERT_NE(box, nullptr);
    QStringList actions;
    const std::unique_ptr<QMenu> menu(box->createContextMenu());
    for (const QAction *a : menu->actions())
        if (!a->isSeparator())
            actions << a->text().remove('&').section('\t', 0, 0);
    EXPECT_EQ(actions, QStringList({"Copy", "Select All", "Find...", "Save As..."}));

    const std::string text = " searching cards  in LXI Chassis, IP address: 10.0.0.5\n\u00b5 line\n\nNO MODULES FOUND\n";
    ui::setText(panel, ctrl::MSGBOX, text);
    QTemporaryDir dir;
    const QString saved = dir.filePath("messages.txt");
    ASSERT_TRUE(box->saveTo(saved));
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), text);
    EXPECT_TRUE(popups.shown.empty());

    const int view = box->verticalScrollBar()->value();
    ASSERT_TRUE(QDir(dir.path()).mkdir("a directory"));
    for (const QString &bad : {dir.filePath("no such folder/messages.txt"), dir.filePath("a directory")}) {
        SCOPED_TRACE(bad.toStdString());
        popups.shown.clear();
        EXPECT_FALSE(box->saveTo(bad));
        ASSERT_EQ(popups.shown.size(), 1u);
        EXPECT_NE(popups.shown[0].text.find(QDir::toNativeSeparators(bad).toStdString()), std::string::npos);
        EXPECT_EQ(ui::getText(panel, ctrl::MSGBOX), text);
        EXPECT_EQ(box->verticalScrollBar()->value(), view);
    }
    EXPECT_TRUE(QDir(dir.path() + "/a directory").isEmpty());
    EXPECT_TRUE(events.empty());
}

// On a disk that fills up (full, or with room for a part of the text), Save
// As leaves nothing under the chosen name and no temporary file beside it,
// and the popup names the system's reason.
TEST_F(Adapter, ASaveAsOntoAFullDiskLeavesNoFileAndNamesTheReason)
{
    auto *box = qobject_cast<panel::MessageBoxView *>(input(ctrl::MSGBOX));
    ASSERT_NE(box, nullptr);
    for (const auto &[textBytes, room] : {std::pair<std::size_t, qint64>{30, 0}, {40000, 8192}}) {
        SCOPED_TRACE(room);
        ScratchDisk disk;
        if (!disk.mounted())
            GTEST_SKIP() << disk.whyNot();
        disk.fill(room);
        ui::resetTextBox(panel, ctrl::MSGBOX, std::string(textBytes, 'x'));
        popups.shown.clear();
        EXPECT_FALSE(box->saveTo(disk.filePath("messages.txt")));
        ASSERT_EQ(popups.shown.size(), 1u);
        EXPECT_NE(popups.shown[0].text.find("No space left on device"), std::string::npos) << popups.shown[0].text;
        EXPECT_EQ(QDir(disk.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{"filler"});
    }
}

// The 294 V confirmation opens with the focus on "yes", shown as keyboard
// focus (the style's focus frame, bold text), draws "no" as the default
// button beside a warning icon; Enter answers "no", Space the focused "yes".
TEST_F(Adapter, TheConfirmationShowsItsFocusOnYesWhileEnterAnswersNo)
{
    panel::DialogPopups dialogs;
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
        SCOPED_TRACE(key == Qt::Key_Return ? "Enter" : "Space");
        QString focused, drawnDefault, bold;
        bool icon = false, active = false;
        QStyle::State focusDrawn;
        QTimer::singleShot(0, [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            // The keys go to it once the window system has made it active.
            active = QTest::qWaitFor([&] { return QApplication::activeWindow() == dialog; });
            for (const QPushButton *b : dialog->findChildren<QPushButton *>()) {
                if (b->isDefault())
                    drawnDefault += b->text();
                if (b->font().bold())
                    bold += b->text();
            }
            for (const QLabel *l : dialog->findChildren<QLabel *>())
                icon = icon || !l->pixmap().isNull();
            QWidget *focus = dialog->focusWidget();
            if (!focus) {
                dialog->close();
                return;
            }
            focused = focus->property("text").toString();
            QStyleOption option; // as the style sees the button when drawing it
            option.initFrom(focus);
            focusDrawn = option.state & (QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange);
            QTest::keyClick(focus, key);
        });
        const int answer = dialogs.confirm("Enable All 42 Channels", "Would you really like to enable all 42 channels?\n");
        EXPECT_TRUE(active);
        EXPECT_EQ(focused, "yes");
        EXPECT_EQ(focusDrawn, QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange);
        EXPECT_EQ(bold, "yes");
        EXPECT_EQ(drawnDefault, "no");
        EXPECT_TRUE(icon);
        EXPECT_EQ(answer, key == Qt::Key_Return ? 2 : 1);
    }
}

// Displaying the panel returns once it is exposed and painted, and meanwhile
// no timer fires: only the window system's own events are handled.
TEST_F(Adapter, DisplayingThePanelWaitsForTheExposeWithoutRunningTimers)
{
    QWidget *window = input(ctrl::MSGBOX)->window();
    window->hide();
    QApplication::processEvents();
    ASSERT_FALSE(window->windowHandle()->isExposed());
    int fired = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++fired; });
    timer.start(0);
    ui::displayPanel(panel);
    EXPECT_TRUE(window->windowHandle()->isExposed());
    EXPECT_EQ(fired, 0);
    EXPECT_TRUE(events.empty());
}
