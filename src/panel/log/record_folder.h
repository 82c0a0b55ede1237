// The folder the message record is written into: the names of its record
// files, opening one for appending, and the bound on their total size.
//
// A record file is named tavr_<address>_<day>.log, or tavr_<day>.log without
// an address, the day as yyyy-MM-dd; further parts of the same day are
// tavr_<address>_<day>.<n>.log, n from 2. Nothing else in the folder is ours.
#pragma once

#include <QDate>
#include <QString>

namespace panel::record_folder {

QString fileName(const QString &address, QDate day, int part);
// Whether `name` has the form of a record file name, of any address and day.
bool isRecordFileName(const QString &name);
// The highest part of the address's records of `day` in `folder`; 1 when
// there is none yet.
int lastPart(const QString &folder, const QString &address, QDate day);

// Creates the folder where it is missing (the last level readable by its
// owner alone, as XDG asks of state folders). Empty, or why not.
QString make(const QString &folder);

// A record file open for appending, locked against every other panel for as
// long as it is open: the kernel lets the lock go with the process, however
// the process ends.
class OpenFile {
public:
    OpenFile() = default;
    ~OpenFile() { close(); }
    OpenFile(const OpenFile &) = delete;
    OpenFile &operator=(const OpenFile &) = delete;

    enum class Result { Opened, InUse, Failed };
    // Opens or creates `path`: a regular file only, never through a symbolic
    // link. InUse when another panel holds it; Failed with `error` set.
    Result open(const QString &path);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    qint64 size() const { return size_; }
    // Whether the file's last byte is a line feed (or it is empty).
    bool endsWithLineFeed() const;
    // Hands all of `bytes` to the kernel; false with `error` set.
    bool write(const QByteArray &bytes);
    const QString &error() const { return error_; }

private:
    int fd_ = -1;
    qint64 size_ = 0;
    QString error_;
};

// Removes the oldest record files of `folder` (by modification time) until
// the record files together take at most `limit` bytes. It never removes
// `keep`, a file another panel is writing, nor anything that is not a
// regular file with a record file's name.
void bound(const QString &folder, qint64 limit, const QString &keep);

} // namespace panel::record_folder
