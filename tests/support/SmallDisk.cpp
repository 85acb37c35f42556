#include "SmallDisk.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace velmora::test {

namespace {

constexpr char FillerName[] = "/.filler";

} // namespace

SmallDisk::SmallDisk(const QString &folder, qint64 bytes) : m_folder(folder)
{
    if (::geteuid() != 0) {
        m_why = QStringLiteral("mounting a small tmpfs needs root; run as root (as CI does)");
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData())
        != 0) {
        m_why = QStringLiteral("mount -t tmpfs failed: ")
                + QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    m_mounted = true;
}

SmallDisk::~SmallDisk()
{
    if (!m_mounted)
        return;
    const QByteArray name = QFile::encodeName(m_folder);
    // A file still open somewhere keeps the disk busy: detach it then.
    if (::umount2(name.constData(), 0) != 0)
        ::umount2(name.constData(), MNT_DETACH);
}

bool SmallDisk::fill()
{
    if (!m_mounted)
        return false;
    const QByteArray name = QFile::encodeName(m_folder + QLatin1String(FillerName));
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    static const QByteArray block(64 * 1024, 'x');
    bool stop = false;
    for (qsizetype size = block.size(); size > 0 && !stop; size /= 2) {
        while (true) {
            const ssize_t n = ::write(fd, block.constData(), size_t(size));
            if (n < 0) {
                if (errno != ENOSPC)
                    stop = true; // another error: the check below tells
                break;
            }
        }
    }
    ::close(fd);
    struct statvfs info = {};
    return ::statvfs(QFile::encodeName(m_folder).constData(), &info) == 0 && info.f_bavail == 0;
}

void SmallDisk::release()
{
    if (m_mounted)
        ::unlink(QFile::encodeName(m_folder + QLatin1String(FillerName)).constData());
}

} // namespace velmora::test
