// The record of the message box on its own, on a clock of the test's: its
// lines and their stamps, the files it writes, and the bound on its folder.
#include "panel/log/message_record.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>
#include <vector>

namespace {

std::string contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "(missing)";
}

} // namespace

// Each line is stamped when its first character comes and written at each
// write(), unfinished or not; a line begun before midnight ends in its
// day's file, the next begins the new day's; an emptied box ends the line
// it left; a file another panel writes, or a full one, is passed over for
// the day's next part; an existing file is appended to from a fresh line.
TEST(MessageRecord, StampsEachLineWhenItBeginsAndKeepsItInItsDaysFile)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("state/tavr");
    const QTimeZone west(-(3 * 3600 + 30 * 60)); // a sign and minutes of its own
    QDateTime now(QDate(2024, 5, 1), QTime(23, 59, 59, 998), west);
    std::vector<QString> begun;
    panel::MessageRecord record(folder, "10.0.0.5", {1 << 20, 140}, [&] { return now; });
    record.onFile = [&](const QString &path) { begun.push_back(QFileInfo(path).fileName()); };
    QDir().mkpath(folder);
    {
        QFile left(QDir(folder).filePath("tavr_10.0.0.5_2024-05-01.log"));
        ASSERT_TRUE(left.open(QIODevice::WriteOnly));
        left.write("2024-05-01 08:00:00.000-03:30 a line a killed panel left unfin");
    }
    ASSERT_TRUE(record.start());
    panel::MessageRecord other(folder, "10.0.0.5", {}, [&] { return now; }); // the same address, started twice
    ASSERT_TRUE(other.start());
    EXPECT_EQ(QFileInfo(other.file()).fileName(), "tavr_10.0.0.5_2024-05-01.2.log");

    const std::string before = "2024-05-01 08:00:00.000-03:30 a line a killed panel left unfin\n";
    record.add(" searching cards ");
    record.write();
    EXPECT_EQ(contentOf(record.file()), before + "2024-05-01 23:59:59.998-03:30  searching cards ")
        << "an unfinished line is handed over too";
    now = now.addMSecs(3);
    record.add("in PXI Chassis...\n");
    record.add("\nCard1 S/N 300001 found");
    record.write();
    record.add("\nVOLTAGE_CH_9 - 2.500V");
    record.endLine(); // the box is emptied
    record.write();
    EXPECT_EQ(contentOf(QDir(folder).filePath("tavr_10.0.0.5_2024-05-01.log")),
              before + "2024-05-01 23:59:59.998-03:30  searching cards in PXI Chassis...\n");
    const std::string newDay = "2024-05-02 00:00:00.001-03:30 \n"
                              "2024-05-02 00:00:00.001-03:30 Card1 S/N 300001 found\n"
                              "2024-05-02 00:00:00.001-03:30 VOLTAGE_CH_9 - 2.500V\n";
    EXPECT_EQ(contentOf(QDir(folder).filePath("tavr_10.0.0.5_2024-05-02.log")), newDay);
    record.add("done\n"); // 136 bytes are below the part's 140
    now = now.addSecs(60);
    record.add("next\n"); // past them: the day's next part
    record.write();
    EXPECT_EQ(contentOf(QDir(folder).filePath("tavr_10.0.0.5_2024-05-02.log")),
              newDay + "2024-05-02 00:00:00.001-03:30 done\n");
    EXPECT_EQ(contentOf(QDir(folder).filePath("tavr_10.0.0.5_2024-05-02.2.log")),
              "2024-05-02 00:01:00.001-03:30 next\n");
    EXPECT_EQ(begun, (std::vector<QString>{"tavr_10.0.0.5_2024-05-01.log", "tavr_10.0.0.5_2024-05-02.log",
                                           "tavr_10.0.0.5_2024-05-02.2.log"}));
}

// Beginning a file, the record removes the oldest record files (by their
// time of change) until all fit the bound; the file it writes, other files,
// links and folders stay, whatever their names.
TEST(MessageRecord, TheBoundRemovesTheOldestRecordFilesAndNothingElse)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    const QDateTime today = QDateTime::currentDateTime();
    struct Old {
        const char *name;
        int ageDays;
        bool stays;
    };
    const Old files[] = {
        {"tavr_2023-01-01.log", 30, false},
        {"tavr_10.0.0.5_2023-01-02.2.log", 20, false},
        {"tavr_PXI_2023-01-03.log", 10, true}, // 400 + 400 + today's line fit 1000 bytes
        {"tavr_2023-01-04.log", 5, true},
        {"notes.txt", 40, true},
        {"Tavrin.state", 40, true},
        {"tavr_2023-01-05.log.bak", 40, true},
        {"tavr-2023-01-06.log", 40, true},
    };
    for (const Old &f : files) {
        QFile file(QDir(folder).filePath(f.name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(400, 'x'));
        file.flush();
        file.setFileTime(today.addDays(-f.ageDays), QFileDevice::FileModificationTime);
    }
    QDir(folder).mkdir("tavr_2022-12-01.log");
    QFile::link(QDir(folder).filePath("notes.txt"), QDir(folder).filePath("tavr_2022-12-02.log"));

    panel::MessageRecord record(folder, "", {1000, 500});
    ASSERT_TRUE(record.start());
    record.add("today\n");
    record.write();
    for (const Old &f : files)
        EXPECT_EQ(QFileInfo::exists(QDir(folder).filePath(f.name)), f.stays) << f.name;
    EXPECT_TRUE(QFileInfo(QDir(folder).filePath("tavr_2022-12-01.log")).isDir());
    EXPECT_TRUE(QFileInfo(QDir(folder).filePath("tavr_2022-12-02.log")).isSymLink());
    EXPECT_EQ(contentOf(QDir(folder).filePath("notes.txt")), std::string(400, 'x'));
    EXPECT_TRUE(QFileInfo::exists(record.file()));
}
