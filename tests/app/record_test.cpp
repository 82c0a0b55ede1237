// The record of the message box in the running panel: every line the box
// gets, with the time it began, through quit, which empties the box; and a
// record that cannot be written, which the panel outlives.
#include "support/panel_harness.h"
#include "support/record_lines.h"
#include "support/state_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

const std::vector<int> kAll = {1, 2, 3, 4, 5, 6, 7};

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A small file system mounted for one case, and let go after it.
struct Mounted {
    QString path;
    ~Mounted()
    {
        if (!path.isEmpty())
            QProcess::execute("umount", {path});
    }
};

} // namespace

// The stamps themselves, to the millisecond, are the record's own test's.
TEST(Record, EveryLineTheBoxGetsIsRecordedAndOutlivesQuit)
{
    QTemporaryDir dir;
    PanelHarness h;
    h.recordFolder = dir.filePath("records").toStdString();
    h.writeFile("Tavrin_192.168.100.10.state", scenario::stateFile(scenario::idleVoltages(kAll)));
    ASSERT_EQ(h.start("192.168.100.10"), 0);
    h.type(ctrl::VOLTAGE_CH_9, "2.5");
    const QString file =
        dir.filePath("records/tavr_192.168.100.10_" + QDate::currentDate().toString("yyyy-MM-dd") + ".log");
    EXPECT_TRUE(h.statusLine().contains("\nRecord: " + file + "\n")) << h.statusLine().toStdString();
    const QString box = QString::fromStdString(h.messageBox());
    EXPECT_EQ(record_lines::unstamped(contentOf(file)), box) << "written at the callback's end";

    h.press(ctrl::QUIT);
    EXPECT_EQ(h.messageBox(), "done\n") << "the box is emptied as before";
    const QString recorded = record_lines::unstamped(contentOf(file));
    EXPECT_TRUE(recorded.startsWith(box + "\nprogram terminating...")) << recorded.toStdString();
    EXPECT_TRUE(recorded.endsWith("   ch42\ndone\n")) << "quit's lines are kept";
}

// A folder that cannot be made, or a disk that is full: the status line and
// standard error say so once, no popup opens, and the panel goes on.
TEST(Record, AFailureIsSaidOnceAndThePanelGoesOn)
{
    QTemporaryDir dir;
    QFile(dir.filePath("plain")).open(QIODevice::WriteOnly);
    struct Case {
        const char *what;
        QString folder;
        QString reason;
        bool fullDisk;
    };
    const Case cases[] = {
        {"under a file", dir.filePath("plain/records"), "cannot create the folder " + dir.filePath("plain/records"),
         false},
        {"full disk", dir.filePath("small"), "No space left on device", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Mounted small;
        if (c.fullDisk) {
            if (::geteuid() != 0)
                GTEST_SKIP() << "a full disk is a small tmpfs, which only root may mount";
            QDir().mkpath(c.folder);
            ASSERT_EQ(QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", c.folder}), 0);
            small.path = c.folder;
            QProcess::execute("sh", {"-c", "head -c 1M /dev/zero > \"$0/filler\" 2>/dev/null", c.folder}); // full
        }
        testing::internal::CaptureStderr();
        {
            PanelHarness h;
            h.recordFolder = c.folder.toStdString();
            h.writeFile("Tavrin.state", scenario::stateFile(scenario::idleVoltages(kAll)));
            ASSERT_EQ(h.start(), 0);
            h.type(ctrl::VOLTAGE_CH_9, "2.5");
            h.type(ctrl::VOLTAGE_CH_9, "3");
            EXPECT_TRUE(h.statusLine().contains("\nRecord: stopped at ")) << h.statusLine().toStdString();
            EXPECT_TRUE(h.statusLine().contains(c.reason)) << h.statusLine().toStdString();
            EXPECT_TRUE(h.popups.shown.empty());
            EXPECT_NE(h.messageBox().find("VOLTAGE_CH_9 - 3.000V --> 3.0000V"), std::string::npos);
        }
        const QString stderrText = QString::fromStdString(testing::internal::GetCapturedStderr());
        EXPECT_EQ(stderrText.count("tavr: the record of the messages stopped"), 1) << stderrText.toStdString();
        EXPECT_TRUE(stderrText.contains(c.reason)) << stderrText.toStdString();
    }
}
