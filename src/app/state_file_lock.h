// One panel per state file: a lock file beside it ("Tavrin.state.lock"), held
// for the whole run. A second panel on the same address in the same folder
// would find the cards held and, at its quit, write its stale values over the
// settings of the first.
#pragma once

#include <QLockFile>
#include <QString>
#include <optional>
#include <string>

class StateFileLock {
public:
    explicit StateFileLock(const std::string &stateFile);

    // Takes the lock; one left by a process that has ended (a crash, kill -9)
    // is taken over, and so is one that has named no process for some seconds
    // (cut short as it was made). False when another panel holds it. Where no
    // lock file can be made (a read-only or full folder) the panel runs
    // without one, after a line on standard error: its save at quit will fail
    // and be told then.
    bool take();
    // Who holds the lock: "process 1234 (tavr) on this computer".
    std::string holder() const;
    // False for a lock of another computer (a shared folder) or one that
    // names no process: those are not taken over when their process ends.
    bool heldOnThisComputer() const;
    // Before the process ends without running destructors.
    void release();

    const std::string &stateFile() const { return stateFile_; }

private:
    // What the lock file says of its holder; nothing when it names no process.
    struct Holder {
        qint64 pid = 0;
        QString host, program;
    };
    std::optional<Holder> lockHolder() const;

    std::string stateFile_;
    QString lockFile_;
    QLockFile lock_;
};

// Tells the operator that another panel holds the state file: on standard
// error, and in a popup unless nobody is at the panel (a signal came).
void reportStateFileHeld(const StateFileLock &lock);

// The exit status of a panel that ended because another holds its state file.
inline constexpr int kExitStateFileHeld = 5;
