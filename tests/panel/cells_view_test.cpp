// All channels at a glance, on the whole panel: what a cell and a row say
// (as assistive technology hears them) for set, read back, dimmed, output,
// interlock and card-not-found states; a click or Enter brings the channel's
// voltage field; only cells whose shown values changed are repainted.
#include "panel/toolkit/toolkit.h"
#include "panel/window/cells_view.h"
#include "support/paints.h"
#include "support/panel_harness.h"
#include "support/state_file.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

using scenario::Chassis;

namespace {

panel::CellsView *cellsOf(const PanelHarness &h)
{
    return panel::Toolkit::instance().panel(h.panel())->arrangement().cells();
}

} // namespace

TEST(CellsView, SaysWhatEveryChannelAndPositionHoldsAndRead)
{
    // Cards at positions 1 and 2; card 2's interlock is active; the first
    // voltage read-back of channel 9 fails.
    PanelHarness h(Chassis::at({1, 2})
                       .interlock({"300002"})
                       .fault({.call = "KORDA_BattGetVoltage", .status = 8, .serial = "300002", .sub = 3}));
    h.writeFile("Tavrin.state", scenario::stateFile({{"STARTUP_MSG", 1}, {"VOLTAGE_CH_3", 2.5}, {"VOLTAGE_CH_9", 0.0},
                                                     {"VOLTAGE_CH_8", 0.0}, {"CURRENT_SINK_CH_2", 40}}));
    ASSERT_EQ(h.start(), 0);
    h.enterEventLoop();
    h.press(ctrl::RE_ENABLE_ALL);
    h.type(ctrl::VOLTAGE_CH_1, "3.3");
    h.press(ctrl::ENABLE_8);       // on, at 0 V
    h.press(ctrl::ENABLE_9);       // on; its read-back fails
    h.app.readBack[5].volts = 1.2; // as if the card had reported another value
    h.tick();
    panel::CellsView *cells = cellsOf(h);
    const std::pair<int, const char *> channels[] = {
        {1, "Channel 1: 3.300 V set, 3.3000 V read back, 0 mA set, current not read, output off"},
        {2, "Channel 2: 1.000 V set, voltage not read, 40 mA set (dimmed, not in force), current not read, output off"},
        {5, "Channel 5: 1.000 V set, 1.2000 V read back (differs), 0 mA set, current not read, output off"},
        {8, "Channel 8: 0.000 V set, 0.0000 V read back, 0 mA set, current not read, output on"},
        {9, "Channel 9: 0.000 V set, voltage not read, 0 mA set, current not read, output on"},
        {13, "Channel 13: no card, 1.000 V set, 0 mA set, output off"},
    };
    for (const auto &[n, words] : channels)
        EXPECT_EQ(cells->channelWords(n).toStdString(), words);
    EXPECT_EQ(cells->positionWords(1).toStdString(), "Module 1: card found, link intact");
    EXPECT_EQ(cells->positionWords(2).toStdString(), "Module 2: card found, interlock active");
    EXPECT_EQ(cells->positionWords(3).toStdString(), "Module 3: not available");

    // Walked by assistive technology: each row, then its six channels.
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(cells);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->text(QAccessible::Name), "All channels");
    ASSERT_EQ(list->childCount(), 49);
    EXPECT_EQ(list->child(7)->text(QAccessible::Name), cells->positionWords(2));
    EXPECT_EQ(list->child(9)->text(QAccessible::Name), cells->channelWords(8));

    // A failed read shows as not read, also after an earlier good one.
    EXPECT_EQ(h.app.readBack[9].volts, std::nullopt);
}

TEST(CellsView, AClickOrEnterBringsTheVoltageFieldAndOnlyChangedCellsRepaint)
{
    PanelHarness h(Chassis::at({1, 2, 3, 4, 5, 6, 7}));
    h.writeFile("Tavrin.state", scenario::stateFile({{"STARTUP_MSG", 1}}));
    ASSERT_EQ(h.start(), 0);
    h.enterEventLoop();
    panel::CellsView *cells = cellsOf(h);
    QTest::qWait(40); // the start's last frame: the discovery shows without a callback
    {
        std::vector<QRect> repaints;
        const PaintWatch watch(cells, [&](const QRect &r) { repaints.push_back(r); });
        h.tick(); // the lamps are read: the rows say so, and no cell changes
        QTest::qWait(40);
        ASSERT_FALSE(repaints.empty());
        for (const QRect &r : repaints)
            EXPECT_LE(r.right(), cells->positionRect(1).right()) << "only the rows";
    }
    h.press(ctrl::RE_ENABLE_ALL);
    QApplication::processEvents();

    QTest::mouseClick(cells, Qt::LeftButton, {}, cells->cellRect(40).center());
    EXPECT_EQ(QApplication::focusWidget(), h.widget(controls::voltageOf(40)));
    cells->setFocus();
    QTest::keyClick(cells, Qt::Key_Up);
    QTest::keyClick(cells, Qt::Key_Left);
    QTest::keyClick(cells, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), h.widget(controls::voltageOf(33)));

    QTest::qWait(40); // what moving the focus repainted
    std::vector<QRect> repaints;
    const PaintWatch watch(cells, [&](const QRect &r) { repaints.push_back(r); });
    h.tick(); // the lamps blink; what the rows say stays the same
    QApplication::processEvents();
    EXPECT_TRUE(repaints.empty());
    h.type(controls::voltageOf(17), "2.5");
    QApplication::processEvents();
    QTest::qWait(40); // the frame's end
    ASSERT_FALSE(repaints.empty());
    for (const QRect &r : repaints)
        EXPECT_TRUE(cells->cellRect(17).contains(r)) << "only channel 17's cell";
}
