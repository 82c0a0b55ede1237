#include "panel/log/record_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace panel::record_folder {

namespace {

const char kPrefix[] = "tavr";
const char kSuffix[] = ".log";

QString base(const QString &address, QDate day)
{
    QString name = kPrefix;
    if (!address.isEmpty())
        name += "_" + address;
    return name + "_" + day.toString("yyyy-MM-dd");
}

QString systemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

} // namespace

QString fileName(const QString &address, QDate day, int part)
{
    return base(address, day) + (part > 1 ? "." + QString::number(part) : QString()) + kSuffix;
}

bool isRecordFileName(const QString &name)
{
    static const QRegularExpression pattern(R"(^tavr(_.+)?_\d{4}-\d{2}-\d{2}(\.[1-9]\d*)?\.log$)");
    return pattern.match(name).hasMatch();
}

int lastPart(const QString &folder, const QString &address, QDate day)
{
    const QString first = base(address, day);
    int last = 1;
    // Names are compared, not matched as patterns: an address may hold "*".
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        if (!name.startsWith(first + ".") || !name.endsWith(kSuffix))
            continue;
        const QString middle = name.mid(first.size() + 1, name.size() - first.size() - 1 - int(std::strlen(kSuffix)));
        bool number = false;
        const int part = middle.toInt(&number);
        if (number && part > last && name == fileName(address, day, part)) // no sign, no leading zero
            last = part;
    }
    return last;
}

QString make(const QString &folder)
{
    std::error_code error;
    const std::filesystem::path path(QFile::encodeName(folder).toStdString());
    if (std::filesystem::create_directories(path, error))
        std::filesystem::permissions(path, std::filesystem::perms::owner_all, error);
    else if (error)
        return QString("cannot create the folder %1: %2")
            .arg(QDir::toNativeSeparators(folder), QString::fromLocal8Bit(error.message().c_str()));
    return {};
}

OpenFile::Result OpenFile::open(const QString &path)
{
    close();
    error_.clear();
    const QByteArray name = QFile::encodeName(path);
    // Read too, for its last byte. O_NONBLOCK: a FIFO planted under the name
    // must not hold the panel.
    const int fd = ::open(name.constData(), O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        error_ = QString("%1: %2").arg(QDir::toNativeSeparators(path), systemError(errno));
        return Result::Failed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error_ = QString("%1: not a regular file").arg(QDir::toNativeSeparators(path));
        return Result::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int why = errno;
        ::close(fd);
        if (why == EWOULDBLOCK)
            return Result::InUse;
        error_ = QString("%1: %2").arg(QDir::toNativeSeparators(path), systemError(why));
        return Result::Failed;
    }
    fd_ = fd;
    size_ = st.st_size;
    return Result::Opened;
}

void OpenFile::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

bool OpenFile::endsWithLineFeed() const
{
    char last = '\n';
    return size_ == 0 || ::pread(fd_, &last, 1, size_ - 1) != 1 || last == '\n';
}

bool OpenFile::write(const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, data, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error_ = systemError(n < 0 ? errno : ENOSPC);
            return false;
        }
        data += n;
        left -= n;
        size_ += n;
    }
    return true;
}

namespace {

// Removes `path` unless another panel holds it open; a file that is no
// longer a regular file by the time it is opened is left alone too.
bool removeUnlessInUse(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool removed = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                         ::unlink(name.constData()) == 0;
    ::close(fd);
    return removed;
}

} // namespace

void bound(const QString &folder, qint64 limit, const QString &keep)
{
    QFileInfoList records;
    qint64 total = 0;
    for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
        if (!isRecordFileName(info.fileName()))
            continue;
        records.push_back(info);
        total += info.size();
    }
    std::sort(records.begin(), records.end(), [](const QFileInfo &a, const QFileInfo &b) {
        const QDateTime ta = a.lastModified(), tb = b.lastModified();
        return ta != tb ? ta < tb : a.fileName() < b.fileName();
    });
    const QString kept = QFileInfo(keep).absoluteFilePath();
    for (const QFileInfo &info : records) {
        if (total <= limit)
            break;
        if (info.absoluteFilePath() != kept && removeUnlessInUse(info.absoluteFilePath()))
            total -= info.size();
    }
}

} // namespace panel::record_folder
