#pragma once

#include <QString>

namespace velmora::test {

// A small tmpfs mounted over a folder for the life of the object, to be
// filled up so that writes fail as on a full disk. Mounting needs root (as
// CI runs); without it mounted() is false and why() says so, for QSKIP.
class SmallDisk
{
public:
    // folder: an existing folder, hidden by the mount while it lasts.
    explicit SmallDisk(const QString &folder, qint64 bytes = 1024 * 1024);
    ~SmallDisk();
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return m_mounted; }
    QString why() const { return m_why; }
    QString path() const { return m_folder; }

    // A filler file takes every free byte: the next write of data fails
    // with ENOSPC. False when the disk could not be filled.
    bool fill();
    // Removes the filler.
    void release();

private:
    QString m_folder;
    QString m_why;
    bool m_mounted = false;
};

} // namespace velmora::test
