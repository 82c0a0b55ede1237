// The panel's cheaper ways of painting its controls look exactly as the
// style's own, in every kind and state they are used in.
#include "panel/line_edit_frame.h"
#include "panel/own_background.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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

} // namespace
