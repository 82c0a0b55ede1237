// Locks a second panel may find beside the state file. The end-to-end test
// runs two real panels; here the locks that are hard to come by that way.
#include "app/state_file_lock.h"
#include "support/scripted_popups.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <optional>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(StateFileLock, OnlyALockOfNoLiveProcessHereIsTakenOver)
{
    struct Case {
        const char *what;
        std::optional<QByteArray> content; // none: a QLockFile of this process holds it
        int ageSeconds;
        bool taken;
        const char *named; // in the popup of a lock not taken
    };
    const QByteArray pid = QByteArray::number(::getpid());
    const Case cases[] = {
        {"a panel that runs here", std::nullopt, 0, false, " on this computer"},
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
        QLockFile running(state + ".lock");
        if (!c.content) {
            ASSERT_TRUE(running.tryLock(0));
        } else {
            QFile file(state + ".lock");
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(*c.content);
            file.setFileTime(QDateTime::currentDateTime().addSecs(-c.ageSeconds), QFileDevice::FileModificationTime);
        }
        StateFileLock lock(state.toStdString());
        EXPECT_EQ(lock.take(), c.taken);
        popups.shown.clear();
        if (!c.taken) {
            reportStateFileHeld(lock);
            ASSERT_EQ(popups.shown.size(), 1u);
            const std::string &text = popups.shown[0].text;
            EXPECT_NE(text.find(c.named), std::string::npos) << text;
            if (!c.content) {
                EXPECT_NE(text.find("process " + pid.toStdString()), std::string::npos) << text;
            }
            // Only a lock that cannot go with its process needs a hand.
            EXPECT_EQ(text.find("remove " + state.toStdString() + ".lock") != std::string::npos, c.content.has_value())
                << text;
        }
    }
    ui::setPopupPresenter(nullptr);
}
