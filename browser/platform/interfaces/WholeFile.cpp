#include "WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::platform {

namespace {

constexpr mode_t PrivateFile = 0600;
constexpr mode_t PrivateFolder = 0700;

WriteOutcome failed(const char *step, int error = errno)
{
    WriteOutcome outcome;
    outcome.ok = false;
    outcome.error = error == 0 ? EIO : error;
    outcome.step = step;
    return outcome;
}

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

// The file a write lands in: the target of a symbolic link, so the link stays.
QString resolved(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        if (!target.isEmpty())
            return target;
    }
    return info.absoluteFilePath();
}

// The new bytes get the old file's mode and, where allowed, its owner; a
// new file is the owner's alone.
bool takeOverMode(int fd, const QByteArray &target)
{
    struct stat info = {};
    if (::stat(target.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return ::fchmod(fd, PrivateFile) == 0;
    struct stat own = {};
    if (::fstat(fd, &own) == 0 && (own.st_uid != info.st_uid || own.st_gid != info.st_gid)) {
        const int saved = errno;
        // Only root may give a file away; anyone else keeps it as theirs.
        [[maybe_unused]] const int ignored = ::fchown(fd, info.st_uid, info.st_gid);
        errno = saved;
    }
    return ::fchmod(fd, info.st_mode & 07777) == 0;
}

int closeKeepingErrno(int fd)
{
    const int saved = errno;
    const int result = ::close(fd);
    errno = saved;
    return result;
}

void removeKeepingErrno(const QByteArray &path)
{
    const int saved = errno;
    ::unlink(path.constData());
    errno = saved;
}

bool writeAll(int fd, QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

// A folder a rename landed in is flushed so the new name survives a crash;
// file systems that cannot flush a folder say so with EINVAL.
WriteOutcome flushFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return failed("open folder");
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
    const int error = errno;
    ::close(fd);
    return ok ? WriteOutcome() : failed("flush folder", error);
}

WriteOutcome moveOver(const QByteArray &from, const QByteArray &to, Existing existing)
{
    if (existing == Existing::Replace) {
        if (::rename(from.constData(), to.constData()) != 0)
            return failed("rename");
        return {};
    }
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno != EINVAL && errno != ENOSYS)
        return failed("rename");
    // A file system without the no-replace rename: a hard link never replaces.
    if (::link(from.constData(), to.constData()) != 0)
        return failed("link");
    ::unlink(from.constData());
    return {};
}

// The last steps of both writers: fd holds the finished temporary file.
WriteOutcome finish(int fd, const QByteArray &temporary, const QByteArray &target,
                    qint64 expectedSize, Existing existing)
{
    const auto fail = [&](const char *step) {
        const WriteOutcome outcome = failed(step);
        if (fd >= 0)
            closeKeepingErrno(fd);
        removeKeepingErrno(temporary);
        return outcome;
    };
    if (!takeOverMode(fd, target))
        return fail("chmod");
    if (::fsync(fd) != 0)
        return fail("fsync");
    struct stat info = {};
    if (::fstat(fd, &info) != 0)
        return fail("stat");
    if (expectedSize >= 0 && qint64(info.st_size) != expectedSize) {
        errno = EIO;
        return fail("size check");
    }
    const int closing = ::close(fd);
    fd = -1;
    if (closing != 0)
        return fail("close");
    WriteOutcome outcome = moveOver(temporary, target, existing);
    if (!outcome) {
        removeKeepingErrno(temporary);
        return outcome;
    }
    outcome = flushFolder(native(QFileInfo(QFile::decodeName(target)).absolutePath()));
    outcome.replaced = true;
    return outcome;
}

} // namespace

QString WriteOutcome::describe(const QString &path) const
{
    if (ok)
        return path + u": written";
    return path + u": " + QString::fromLatin1(step) + u": "
           + QString::fromLocal8Bit(std::strerror(error));
}

QString temporaryNameFor(const QString &path)
{
    static constexpr char Letters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QRandomGenerator *random = QRandomGenerator::global();
    QString tail;
    for (int i = 0; i < 6; ++i)
        tail += QLatin1Char(Letters[random->bounded(int(sizeof Letters) - 1)]);
    // A digit in it, so the name never reads as a word of small letters.
    tail[random->bounded(6)] = QLatin1Char(char('0' + random->bounded(10)));
    return path + u'.' + tail;
}

WriteOutcome writeWholeFile(const QString &path, QByteArrayView bytes, Existing existing)
{
    const QString targetPath = resolved(path);
    const QByteArray target = native(targetPath);
    if (existing == Existing::Keep && QFileInfo::exists(targetPath))
        return failed("create", EEXIST);

    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = native(temporaryNameFor(targetPath));
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, PrivateFile);
        if (fd < 0 && errno != EEXIST)
            return failed("create");
    }
    if (fd < 0)
        return failed("create", EEXIST);
    if (!writeAll(fd, bytes)) {
        const WriteOutcome outcome = failed("write");
        ::close(fd);
        ::unlink(temporary.constData());
        return outcome;
    }
    return finish(fd, temporary, target, bytes.size(), existing);
}

WriteOutcome putInPlace(const QString &temporary, const QString &target, qint64 expectedSize)
{
    const QByteArray from = native(temporary);
    const int fd = ::open(from.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        const WriteOutcome outcome = failed("open");
        removeKeepingErrno(from);
        return outcome;
    }
    return finish(fd, from, native(resolved(target)), expectedSize, Existing::Replace);
}

WriteOutcome makeFolder(const QString &path)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QStringList parts = clean.split(u'/', Qt::SkipEmptyParts);
    QString sofar;
    for (const QString &part : parts) {
        sofar += u'/' + part;
        const QByteArray name = native(sofar);
        struct stat info = {};
        if (::stat(name.constData(), &info) == 0) {
            if (!S_ISDIR(info.st_mode))
                return failed("make folder", ENOTDIR);
            continue;
        }
        if (errno != ENOENT)
            return failed("make folder");
        if (::mkdir(name.constData(), PrivateFolder) != 0) {
            const int error = errno;
            // Made by another instance meanwhile.
            if (error == EEXIST && ::stat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode))
                continue;
            return failed("make folder", error);
        }
    }
    return {};
}

} // namespace velmora::platform
