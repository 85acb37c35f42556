#pragma once

#include <QDeadlineTimer>
#include <QLockFile>
#include <QThread>

namespace velmora::platform {

// Takes a lock file shared by running instances, waiting up to ten seconds.
// QLockFile's own waiting sleeps ever longer between tries, so a writer that
// loops can keep the lock from another for seconds; short tries share it
// fairly. A lock still not had is given up: the caller's write goes ahead.
inline bool takeLock(QLockFile &lock)
{
    lock.setStaleLockTime(10000);
    QDeadlineTimer deadline(10000);
    while (!lock.tryLock(0)) {
        // Only a lock another holds is worth waiting for; one that cannot be
        // written (a full disk) never will be.
        if (lock.error() != QLockFile::LockFailedError || deadline.hasExpired())
            return false;
        QThread::msleep(2);
    }
    return true;
}

} // namespace velmora::platform
