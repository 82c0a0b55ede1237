// The record of the message box: every line the box receives, with the local
// time it began, appended to a file of the chassis address and the day, so
// that the session's lines outlive the box, which quit empties.
//
// A line of the record is the time stamp, one blank and the text exactly as
// the box got it, up to its line feed; a line built from several appends is
// one line, stamped when its first character came:
//   2024-05-01 14:03:07.123+02:00 VOLTAGE_CH_9 - 2.500V --> 2.5000V   ch9
// What is added is handed to the kernel at write() (the box calls it at every
// flush, so at every callback's end), a line not yet ended included: a crash
// or a kill loses nothing written before.
//
// A line that begins on a new day begins that day's file; one begun before
// midnight ends in the file it began in. A file that has reached the part
// size goes on in the day's next part, and whenever a file is begun the
// oldest record files of the folder go until the rest fit the folder's
// bound. A file another panel writes (the same address, started twice) is
// never shared: this panel takes the next part. An existing file is appended
// to, from a fresh line.
//
// A failure never stops the panel: the record stops, says why once, and
// everything else goes on.
#pragma once

#include "panel/log/record_folder.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>

namespace panel {

struct RecordLimits {
    qint64 folderBytes = 100 << 20; // all record files of the folder together
    qint64 partBytes = 10 << 20;    // one file, before the day's next part begins
};

class MessageRecord {
public:
    using Clock = std::function<QDateTime()>;

    MessageRecord(QString folder, QString address, RecordLimits limits = {},
                  Clock clock = [] { return QDateTime::currentDateTime(); });
    ~MessageRecord();
    MessageRecord(const MessageRecord &) = delete;
    MessageRecord &operator=(const MessageRecord &) = delete;

    // Called with the path of each file the record begins.
    std::function<void(const QString &path)> onFile;
    // Called once, when the record stops for good, with the reason.
    std::function<void(const QString &why)> onFailure;

    // Creates the folder and opens today's file; false once stopped.
    bool start();
    // What the box receives, exactly as given.
    void add(const QString &text);
    // The box was emptied: a line left unfinished ends here.
    void endLine();
    // Hands what was added to the kernel.
    void write();

    // The file in use; empty when the record has stopped or not begun.
    QString file() const { return stopped_ ? QString() : path_; }

private:
    bool begin(QDate day);
    void fail(const QString &why);
    QByteArray stamp(const QDateTime &time) const;

    QString folder_;
    QString address_;
    RecordLimits limits_;
    Clock clock_;
    record_folder::OpenFile file_;
    QString path_;
    QDate day_;
    int part_ = 1;
    QByteArray pending_;
    bool atLineStart_ = true;
    bool stopped_ = false;
};

} // namespace panel
