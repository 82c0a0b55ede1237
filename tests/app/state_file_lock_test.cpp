// Locks a second panel may find beside the state file that two real panels
// do not leave (the end-to-end test runs those): one of another computer,
// one that names no process.
#include "app/state_file_lock.h"
#include "support/scripted_popups.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(StateFileLock, ALockNamingNoProcessGoesAfterAWhileOneOfAnotherComputerStays)
{
    struct Case {
        const char *what;
        QByteArray content;
        int ageSeconds;
        bool taken;
        const char *named; // in the popup of a lock not taken
    };
    const Case cases[] = {
        {"one of another computer", "4242\ntavr\nbench-7\n", 600, false, "process 4242 (tavr) on the computer bench-7"},
        {"half-written just now", "", 0, false, "names no process"},
        {"half-written a minute ago", "", 60, true, nullptr},
    };
    ScriptedPopups popups;
    ui::setPopupPresenter(&popups);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString state = dir.filePath("Tavrin.state");
        QFile file(state + ".lock");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.content);
        file.setFileTime(QDateTime::currentDateTime().addSecs(-c.ageSeconds), QFileDevice::FileModificationTime);
        file.close();
        StateFileLock lock(state.toStdString());
        EXPECT_EQ(lock.take(), c.taken);
        if (!c.taken) {
            popups.shown.clear();
            reportStateFileHeld(lock);
            ASSERT_EQ(popups.shown.size(), 1u);
            const std::string &text = popups.shown[0].text;
            EXPECT_NE(text.find(c.named), std::string::npos) << text;
            EXPECT_NE(text.find("remove " + state.toStdString() + ".lock"), std::string::npos) << text;
        }
    }
    ui::setPopupPresenter(nullptr);
}
