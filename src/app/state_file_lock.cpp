#include "app/state_file_lock.h"

#include "panel/api/ui.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSysInfo>
#include <cstdio>

namespace {

// A panel writes its process into the lock the moment it makes it; one that
// names none for longer than this was cut short as it was made.
const qint64 kHalfWrittenMs = 10 * 1000;

// A lock that names no computer counts as one of this computer.
bool isThisComputer(const QString &host) { return host.isEmpty() || host == QSysInfo::machineHostName(); }

} // namespace

StateFileLock::StateFileLock(const std::string &stateFile)
    : stateFile_(stateFile), lockFile_(QString::fromStdString(stateFile) + ".lock"), lock_(lockFile_)
{
    // A panel runs for days: a lock is stale only when its process has ended,
    // never by its age.
    lock_.setStaleLockTime(0);
}

bool StateFileLock::take()
{
    bool taken = lock_.tryLock(0);
    // Qt takes over the lock of an ended process, but never one that names no
    // process at all (the power went, or a kill, as it was made): no panel
    // holds that one either.
    if (!taken && lock_.error() == QLockFile::LockFailedError && !lockHolder()
        && QFileInfo(lockFile_).lastModified().msecsTo(QDateTime::currentDateTime()) > kHalfWrittenMs) {
        lock_.removeStaleLockFile();
        taken = lock_.tryLock(0);
    }
    if (taken || lock_.error() == QLockFile::LockFailedError)
        return taken;
    const char *why = lock_.error() == QLockFile::PermissionError ? "not permitted" : "the folder refuses it";
    std::fprintf(stderr,
                 "tavr: no lock file can be made beside %s (%s); a second panel on this address "
                 "would not be noticed\n",
                 stateFile_.c_str(), why);
    return true;
}

std::optional<StateFileLock::Holder> StateFileLock::lockHolder() const
{
    Holder h;
    if (!lock_.getLockInfo(&h.pid, &h.host, &h.program))
        return std::nullopt;
    return h;
}

bool StateFileLock::heldOnThisComputer() const
{
    const std::optional<Holder> h = lockHolder();
    return h && isThisComputer(h->host);
}

std::string StateFileLock::holder() const
{
    const std::optional<Holder> h = lockHolder();
    if (!h)
        return "a panel that is just starting, or a lock file that names no process";
    std::string text = "process " + std::to_string(h->pid);
    if (!h->program.isEmpty())
        text += " (" + h->program.toStdString() + ")";
    if (isThisComputer(h->host))
        return text + " on this computer";
    return text + " on the computer " + h->host.toStdString();
}

void StateFileLock::release() { lock_.unlock(); }

void reportStateFileHeld(const StateFileLock &lock)
{
    const QString file = QFileInfo(QString::fromStdString(lock.stateFile())).absoluteFilePath();
    std::string text = "Another panel already runs with the settings file " + file.toStdString() + ": "
                       + lock.holder() + ".\nThis panel ends without touching any card or file, so that neither "
                       + "overwrites the other's settings. Use the panel that runs, or quit it first.\n";
    // A lock of this computer goes with its process; of another, or one that
    // names none, only by hand.
    if (!lock.heldOnThisComputer())
        text += "Should no panel run there any more, remove " + file.toStdString() + ".lock and start again.\n";
    std::fprintf(stderr, "tavr: %s", text.c_str());
    ui::messagePopup("Address in use", text);
}
