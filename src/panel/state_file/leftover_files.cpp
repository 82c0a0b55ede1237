#include "panel/state_file/leftover_files.h"

#include <QFile>
#include <QFileInfo>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace panel {

namespace {

bool isMkstempSuffix(const char *s)
{
    for (int i = 0; i < 6; ++i) {
        const char c = s[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    }
    return s[6] == '\0';
}

} // namespace

void removeLeftoverTemporaries(const QString &stateFile)
{
    const QFileInfo info(stateFile);
    const QByteArray prefix = "." + QFile::encodeName(info.fileName()) + ".";
    const int dirFd = ::open(QFile::encodeName(info.absolutePath()).constData(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return;
    DIR *dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return;
    }
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (qstrncmp(name, prefix.constData(), static_cast<uint>(prefix.size())) != 0
            || !isMkstempSuffix(name + prefix.size()))
            continue;
        struct stat st {};
        if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            ::unlinkat(dirFd, name, 0);
    }
    ::closedir(dir); // closes dirFd too
}

} // namespace panel
