// The whole panel on the screens of a bench: a laptop, full HD, 1440p, and
// full HD scaled by 1.5 and by 2 (their logical sizes). On each the window
// lies on its screen, nothing needs a sideways scroll, and the menu bar, all
// channels at a glance, the panel-wide buttons, QUIT and ten rows of the
// message box are in view at once; every card's identity shows its serial.
#include "panel/api/control_ids.h"
#include "panel/controls/indicator_field.h"
#include "panel/toolkit/toolkit.h"
#include "panel/window/cells_view.h"
#include "support/state_file.h"
#include "support/offscreen_screens.h"
#include "support/panel_harness.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

const std::vector<offscreen_screens::Screen> kScreens = {
    {"1920x1080", QRect(0, 0, 1920, 1080)},
    {"1366x768", QRect(1920, 0, 1366, 768)},
    {"2560x1440", QRect(3286, 0, 2560, 1440)},
    {"1920x1080 at 1.5", QRect(5846, 0, 1280, 720)},
    {"1920x1080 at 2", QRect(7126, 0, 960, 540)},
};

// Shown whole: no part cut off by the window or by a scrolled parent.
bool wholeInView(QWidget *w)
{
    QWidget *window = w->window();
    const QRect whole(w->mapTo(window, QPoint()), w->size());
    QRect seen = whole;
    for (QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        seen &= QRect(p == window ? QPoint() : p->mapTo(window, QPoint()), p->size());
    return w->isVisible() && !whole.isEmpty() && seen == whole;
}

} // namespace

TEST(Screens, ThePanelFitsEveryScreenAndKeepsTheMessageBoxAndQuitInView)
{
    for (const offscreen_screens::Screen &s : kScreens) {
        // Recalled near the screen's corner, and so far right that it must move in.
        for (const QPoint at : {s.geometry.topLeft() + QPoint(40, 30), s.geometry.topRight() - QPoint(200, -30)}) {
            SCOPED_TRACE(s.name.toStdString() + " at " + std::to_string(at.x()) + "," + std::to_string(at.y()));
            PanelHarness h;
            h.writeFile("Tavrin.state", scenario::stateFile({{"LEFT", at.x()}, {"TOP", at.y()}}));
            ASSERT_EQ(h.start(), 0);
            QWidget *window = h.widget(ctrl::MSGBOX)->window();
            QApplication::sendPostedEvents(); // pending layout requests
            EXPECT_EQ(window->screen()->name(), s.name);
            EXPECT_TRUE(s.geometry.contains(window->frameGeometry()))
                << window->frameGeometry().x() << "," << window->frameGeometry().y() << " "
                << window->frameGeometry().width() << "x" << window->frameGeometry().height();
            // The menu bar, all channels at a glance, the panel-wide buttons,
            // QUIT and ten rows of the message box, without scrolling.
            auto *cells = window->findChild<panel::CellsView *>();
            ASSERT_NE(cells, nullptr);
            auto *menuBar = window->findChild<QMenuBar *>();
            ASSERT_NE(menuBar, nullptr);
            for (QWidget *w : {static_cast<QWidget *>(cells), static_cast<QWidget *>(menuBar), h.widget(ctrl::MSGBOX),
                               h.widget(ctrl::QUIT), h.widget(ctrl::ENABLEALL), h.widget(ctrl::RESET),
                               h.widget(ctrl::RE_CALL_CUURENT_ALL), h.widget(ctrl::RE_ENABLE_ALL)})
                EXPECT_TRUE(wholeInView(w)) << w->accessibleName().toStdString();
            EXPECT_GE(cells->height(), cells->sizeHint().height());
            const auto *box = qobject_cast<QPlainTextEdit *>(h.widget(ctrl::MSGBOX));
            EXPECT_GE(box->viewport()->height(), 10 * box->fontMetrics().lineSpacing());
            auto *scroll = window->findChild<QScrollArea *>();
            ASSERT_NE(scroll, nullptr);
            EXPECT_LE(scroll->widget()->minimumSizeHint().width(), scroll->viewport()->width()) << "no sideways scroll";
            EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible());

            // Each found card's identity shows its serial number, and the
            // whole text is in the tooltip and reachable by the keyboard.
            for (int k = 1; k <= 7; ++k) {
                const int module = ctrl::MODULE_1 + k - 1;
                auto *identity = dynamic_cast<panel::IndicatorField *>(h.widget(module));
                ASSERT_NE(identity, nullptr);
                const std::string serial = "S/N 30000" + std::to_string(k);
                EXPECT_NE(h.text(module).find(serial), std::string::npos);
                EXPECT_TRUE(identity->text().contains(QString::fromStdString(serial)))
                    << identity->text().toStdString();
                EXPECT_EQ(identity->toolTip().toStdString(), h.text(module));
                EXPECT_TRUE(identity->isReadOnly());
                EXPECT_TRUE(identity->focusPolicy() & Qt::TabFocus);
            }
        }
    }
}

int main(int argc, char **argv)
{
    const offscreen_screens::Config screens(kScreens);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
