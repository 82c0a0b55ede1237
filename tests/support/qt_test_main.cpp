// Test entry for every test that needs widgets: one offscreen QApplication
// for the whole run, created before GoogleTest lists or runs anything. The
// offscreen screen is a bench monitor of 2560x1440 rather than the
// platform's default 800x800, so that a window position means what it
// means on a bench.
#include "support/offscreen_screens.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    const offscreen_screens::Config screens({{"bench", QRect(0, 0, 2560, 1440)}});
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
