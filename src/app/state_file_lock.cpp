#include "app/state_file_lock.h"

#include "panel/api/ui.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <cstdio>

StateFileLock::StateFileLock(const std::string &stateFile)
    : stateFile_(stateFile), lock_(QString::fromStdString(stateFile) + ".lock")
{
    // A panel runs for days: a lock is stale only when its process has ended,
    // never by its age.
    lock_.setStaleLockTime(0);
}

bool StateFileLock::take()
{
    if (lock_.tryLock(0))
        return true;
    if (lock_.error() == QLockFile::LockFailedError)
        return false;
    const char *why = lock_.error() == QLockFile::PermissionError ? "not permitted" : "the folder refuses it";
    std::fprintf(stderr,
                 "tavr: no lock file can be made beside %s (%s); a second panel on this address "
                 "would not be noticed\n",
                 stateFile_.c_str(), why);
    return true;
}

std::string StateFileLock::holder() const
{
    qint64 pid = 0;
    QString host, program;
    if (!lock_.getLockInfo(&pid, &host, &program))
        return "another process";
    std::string text = "process " + std::to_string(pid);
    if (!program.isEmpty())
        text += " (" + program.toStdString() + ")";
    if (!host.isEmpty() && host != QSysInfo::machineHostName())
        return text + " on the computer " + host.toStdString();
    return text + " on this computer";
}

void StateFileLock::release() { lock_.unlock(); }

void reportStateFileHeld(const StateFileLock &lock)
{
    const QString file = QFileInfo(QString::fromStdString(lock.stateFile())).absoluteFilePath();
    const std::string text = "Another panel already runs with the settings file " + file.toStdString() + ": "
                             + lock.holder() + ".\nThis panel ends without touching any card or file, so that "
                             + "neither overwrites the other's settings. Use the panel that runs, or quit it first.\n";
    std::fprintf(stderr, "tavr: %s", text.c_str());
    ui::messagePopup("Address in use", text);
}
