// A small tmpfs of its own, to fill up as a real disk fills. Mounting needs
// root (as in CI); elsewhere a test skips:
//   ScratchDisk disk;
//   if (!disk.mounted()) GTEST_SKIP() << disk.whyNot();
#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

class ScratchDisk {
public:
    explicit ScratchDisk(const char *size = "64k")
    {
        if (::geteuid() != 0) {
            why_ = "needs root to mount a scratch tmpfs";
            return;
        }
        const QByteArray at = QFile::encodeName(place_.path());
        const std::string options = std::string("size=") + size + ",mode=0755";
        if (::mount("tavr-test", at.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0)
            why_ = std::string("cannot mount a scratch tmpfs: ") + std::strerror(errno);
        else
            mounted_ = true;
    }
    ~ScratchDisk()
    {
        if (mounted_)
            ::umount2(QFile::encodeName(place_.path()).constData(), MNT_DETACH);
    }
    ScratchDisk(const ScratchDisk &) = delete;
    ScratchDisk &operator=(const ScratchDisk &) = delete;

    bool mounted() const { return mounted_; }
    const std::string &whyNot() const { return why_; }
    QString path() const { return place_.path(); }
    QString filePath(const QString &name) const { return QDir(place_.path()).filePath(name); }

    // Fills the disk with a file named "filler", leaving `room` bytes free.
    void fill(qint64 room = 0) const
    {
        QFile file(filePath("filler"));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray block(4096, 'f');
        while (file.write(block) == block.size()) {
        }
        while (file.write("f", 1) == 1) {
        }
        file.resize(std::max<qint64>(0, file.size() - room));
    }
private:
    QTemporaryDir place_;
    bool mounted_ = false;
    std::string why_;
};
