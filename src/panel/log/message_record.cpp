#include "panel/log/message_record.h"

#include <QDir>
#include <cstdio>
#include <cstdlib>

namespace panel {

MessageRecord::MessageRecord(QString folder, QString address, RecordLimits limits, Clock clock)
    : folder_(std::move(folder)), address_(std::move(address)), limits_(limits), clock_(std::move(clock))
{
}

MessageRecord::~MessageRecord()
{
    // Whoever listened may be gone by now.
    onFile = nullptr;
    onFailure = nullptr;
    write();
}

bool MessageRecord::start() { return !stopped_ && (file_.isOpen() || begin(clock_().date())); }

void MessageRecord::add(const QString &text)
{
    if (stopped_ || !file_.isOpen())
        return;
    const QByteArray utf8 = text.toUtf8();
    qsizetype from = 0;
    while (from < utf8.size()) {
        if (atLineStart_) {
            const QDateTime now = clock_();
            const bool full = limits_.partBytes > 0 && file_.size() + pending_.size() >= limits_.partBytes;
            if (now.date() != day_ || full) {
                write(); // what the file in use is owed
                if (!begin(now.date()))
                    return;
            }
            pending_ += stamp(now);
            atLineStart_ = false;
        }
        const qsizetype end = utf8.indexOf('\n', from);
        const qsizetype next = end < 0 ? utf8.size() : end + 1;
        pending_.append(utf8.constData() + from, next - from);
        atLineStart_ = end >= 0;
        from = next;
    }
}

void MessageRecord::endLine()
{
    if (!stopped_ && !atLineStart_) {
        pending_ += '\n';
        atLineStart_ = true;
    }
}

void MessageRecord::write()
{
    if (stopped_ || pending_.isEmpty() || !file_.isOpen())
        return;
    if (!file_.write(pending_))
        fail(QString("%1: %2").arg(QDir::toNativeSeparators(path_), file_.error()));
    pending_.clear();
}

bool MessageRecord::begin(QDate day)
{
    if (const QString why = record_folder::make(folder_); !why.isEmpty()) {
        fail(why);
        return false;
    }
    // The same day again: its file is full. Parts another panel holds, or
    // full ones, are passed over.
    int part = day == day_ ? part_ + 1 : record_folder::lastPart(folder_, address_, day);
    for (;; ++part) {
        const QString path = QDir(folder_).filePath(record_folder::fileName(address_, day, part));
        const auto opened = file_.open(path);
        if (opened == record_folder::OpenFile::Result::Failed) {
            fail(file_.error());
            return false;
        }
        if (opened == record_folder::OpenFile::Result::InUse)
            continue;
        if (limits_.partBytes > 0 && file_.size() >= limits_.partBytes) {
            file_.close();
            continue;
        }
        day_ = day;
        part_ = part;
        path_ = path;
        break;
    }
    // A file a killed panel left in the middle of a line: ours begins on a line of its own.
    if (!file_.endsWithLineFeed() && !file_.write("\n")) {
        fail(QString("%1: %2").arg(QDir::toNativeSeparators(path_), file_.error()));
        return false;
    }
    record_folder::bound(folder_, limits_.folderBytes, path_);
    if (onFile)
        onFile(path_);
    return true;
}

void MessageRecord::fail(const QString &why)
{
    stopped_ = true;
    file_.close();
    pending_.clear();
    if (onFailure)
        onFailure(why);
}

// The local time to the millisecond, with its offset from UTC, so that the
// hour repeated when summer time ends reads unambiguously.
QByteArray MessageRecord::stamp(const QDateTime &time) const
{
    const QDate d = time.date();
    const QTime t = time.time();
    const int offset = time.offsetFromUtc() / 60;
    const int away = std::abs(offset);
    char text[48];
    const int n = std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d%c%02d:%02d ", d.year(), d.month(),
                                d.day(), t.hour(), t.minute(), t.second(), t.msec(), offset < 0 ? '-' : '+', away / 60,
                                away % 60);
    return QByteArray(text, n);
}

} // namespace panel
