// The panel's cheaper ways of painting its controls look exactly as the
// style's own, in every kind and state they are used in.
#include "panel/committing_widgets.h"
#include "panel/line_edit_frame.h"
#include "panel/own_background.h"
#include "panel/quiet_scroll_bar.h"
#include "support/on_screen.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

QLineEdit *field(bool readOnly)
{
    auto *edit = new QLineEdit("Card 3, serial 2041");
    edit->setReadOnly(readOnly);
    return edit;
}

struct Case {
    const char *name;
    std::function<QWidget *()> make;
    std::function<void(QWidget *)> cheaper;
};

TEST(CheaperPainting, LooksAsTheStylesOwn)
{
    const auto ownBackground = [](QWidget *w) {
        panel::paintOwnBackground(w);
        ASSERT_TRUE(w->testAttribute(Qt::WA_OpaquePaintEvent));
    };
    const auto cachedFrame = [](QWidget *w) { panel::drawFrameFromCache(static_cast<QLineEdit *>(w)); };
    const Case cases[] = {
        {"label", [] { return new QLabel("Interlock"); }, ownBackground},
        {"push button", [] { return new QPushButton("RESET"); }, ownBackground},
        {"check box", [] { return new QCheckBox("on"); }, ownBackground},
        {"scroll bar", [] {
             auto *bar = new QScrollBar(Qt::Vertical);
             bar->setRange(0, 300);
             bar->setValue(120);
             return bar;
         },
         ownBackground},
        {"spin box", [] {
             auto *spin = new QDoubleSpinBox;
             spin->setValue(12.5);
             return spin;
         },
         ownBackground},
        {"read-only field", [] { return field(true); }, ownBackground},
        {"field, frame from an image", [] { return field(false); }, cachedFrame},
        {"read-only field, both", [] { return field(true); },
         [&](QWidget *w) {
             cachedFrame(w);
             ownBackground(w);
         }},
    };
    for (const Case &c : cases) {
        for (const bool enabled : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (enabled ? "" : ", dimmed"));
            QWidget window;
            window.resize(130, 40);
            auto *frame = new QFrame(&window);
            frame->setFrameShape(QFrame::StyledPanel);
            frame->setGeometry(0, 0, 130, 40);
            QWidget *control = c.make();
            control->setParent(frame);
            control->setGeometry(6, 6, 118, 28);
            control->setEnabled(enabled);
            window.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
            const QImage styles = window.grab().toImage();
            c.cheaper(control);
            const QImage cheaper = window.grab().toImage();
            EXPECT_EQ(cheaper, styles);
        }
    }
}

// A spin box's number painted by its own field, next to a plain Qt spin box,
// on screen as it is shown, dimmed and restored.
TEST(CheaperPainting, NumbersWithoutFocusLookAsTheLineEditPaintsThem)
{
    struct Number {
        double value;
        int decimals;
        int width;
        bool buttons;
    };
    const Number numbers[] = {
        {1.0, 3, 78, true}, {-12.5, 4, 78, true}, {0.0, 0, 62, true}, {1234.5678, 4, 62, true}, {8.25, 2, 56, false},
    };
    for (const Number &n : numbers) {
        SCOPED_TRACE(QString("%1 with %2 decimals").arg(n.value).arg(n.decimals).toStdString());
        QWidget windows[2];
        QDoubleSpinBox *spins[2] = {new QDoubleSpinBox, new panel::CommittingDoubleSpinBox};
        for (int i = 0; i < 2; ++i) {
            QDoubleSpinBox *spin = spins[i];
            spin->setParent(&windows[i]);
            spin->setLocale(QLocale::c());
            spin->setRange(-10000, 10000);
            spin->setDecimals(n.decimals);
            spin->setValue(n.value);
            spin->setAlignment(Qt::AlignRight);
            spin->setButtonSymbols(n.buttons ? QAbstractSpinBox::UpDownArrows : QAbstractSpinBox::NoButtons);
            spin->setGeometry(4, 8, n.width, 23);
            panel::paintOwnBackground(spin); // as on the panel
            windows[i].resize(100, 40);
            windows[i].show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&windows[i]));
            spin->clearFocus(); // as the panel's fields are, but the one in use
        }
        for (const bool enabled : {true, false, true}) {
            SCOPED_TRACE(enabled ? "shown" : "dimmed");
            for (QDoubleSpinBox *spin : spins)
                spin->setEnabled(enabled);
            QCoreApplication::processEvents();
            EXPECT_EQ(onScreen(&windows[1]), onScreen(&windows[0]));
        }
        QFont larger = spins[0]->font();
        larger.setPointSizeF(larger.pointSizeF() * 1.2);
        for (QDoubleSpinBox *spin : spins)
            spin->setFont(larger);
        QCoreApplication::processEvents();
        EXPECT_EQ(onScreen(&windows[1]), onScreen(&windows[0])) << "in a larger font";
    }
}

// The scroll bar that skips repaints shows on screen what a plain one shows,
// step by step as a log grows, follows and is scrolled back.
TEST(CheaperPainting, AQuietScrollBarNeverShowsAStaleSlider)
{
    struct Step {
        int maximum, page, value;
    };
    const Step steps[] = {{0, 30, 0},       {5, 30, 5},       {400, 30, 400},   {401, 30, 401},  {402, 30, 402},
                          {1500, 30, 1500}, {1501, 30, 1501}, {1501, 30, 1400}, {1502, 30, 1400}, {1502, 30, 0},
                          {1502, 60, 0},    {9970, 30, 9970}, {9970, 30, 9969}};
    QWidget windows[2];
    QScrollBar plain(Qt::Vertical, &windows[0]);
    panel::QuietScrollBar quiet(Qt::Vertical, &windows[1]);
    for (QWidget &w : windows) {
        w.resize(20, 300);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }
    plain.setGeometry(3, 0, 14, 300);
    quiet.setGeometry(3, 0, 14, 300);
    for (const Step &s : steps) {
        SCOPED_TRACE(QString("range to %1, page %2, at %3").arg(s.maximum).arg(s.page).arg(s.value).toStdString());
        plain.setRange(0, s.maximum);
        plain.setPageStep(s.page);
        plain.setValue(s.value);
        quiet.setState(s.maximum, s.page, s.value);
        QCoreApplication::processEvents();
        EXPECT_EQ(onScreen(&windows[1]), onScreen(&windows[0]));
    }
}

} // namespace
