#include "panel/state_file/whole_files.h"

#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace panel {

namespace {

std::string sizeInWords(std::size_t bytes)
{
    return bytes % 1024 == 0 ? std::to_string(bytes / 1024) + " KiB" : std::to_string(bytes) + " bytes";
}

} // namespace

bool readWholeFile(const std::string &path, std::size_t maxBytes, std::string &content, std::string &why)
{
    // Only a regular file (links followed). Opened without blocking, so that a
    // FIFO cannot hold the panel; read with a bound, so that a device or a
    // huge file cannot fill memory; a file that grew while read is not taken.
    const QByteArray name = QFile::encodeName(QString::fromStdString(path));
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    const std::string tooLarge = "it is larger than " + sizeInWords(maxBytes);
    struct stat st {};
    bool read = false;
    if (::fstat(fd, &st) != 0) {
        why = std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
        why = "it is not a regular file";
    } else if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
        why = tooLarge;
    } else {
        content.assign(maxBytes + 1, '\0');
        std::size_t total = 0;
        for (;;) {
            const ssize_t got = ::read(fd, content.data() + total, content.size() - total);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                why = std::strerror(errno);
                break;
            }
            total += static_cast<std::size_t>(got);
            if (total > maxBytes) { // grown since
                why = tooLarge;
                break;
            }
            if (got == 0) {
                content.resize(total);
                read = true;
                break;
            }
        }
    }
    ::close(fd);
    if (!read)
        content.clear();
    return read;
}

bool writeWholeFile(const std::string &path, const std::string &content, std::string &why)
{
    QSaveFile file(QString::fromStdString(path));
    // Never written in place: where no temporary file can be made beside it,
    // the save fails and the file stays as it was.
    file.setDirectWriteFallback(false);
    const QByteArray bytes = QByteArray::fromStdString(content);
    // Unbuffered, so that every write reaches the file system here and its
    // failure is seen, not lost in a flush at commit(). A write that stops
    // short (the disk filled up half-way) sets no error; the next one, with
    // nothing written, gives the system's reason.
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    for (qint64 done = 0; written && done < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        written = n > 0;
        done += n;
    }
    if (written && file.commit())
        return true;
    why = file.errorString().toStdString();
    file.cancelWriting();
    return false;
}

} // namespace panel
