#include "platform/FileSystem.h"
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace wf::platform {

namespace {
QString systemReason(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}
} // namespace

bool openRegularFile(QFile &file, const QString &path, bool forWriting, QString &error)
{
    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK: opening a named pipe would otherwise wait for a writer.
    const int fd = ::open(name.constData(), (forWriting ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = systemReason(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error = QStringLiteral("it is not a regular file");
        return false;
    }
    // Reads from a regular file never block; clear the flag anyway so the
    // handle behaves like any other.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const QIODevice::OpenMode mode = (forWriting ? QIODevice::ReadWrite : QIODevice::ReadOnly) | QIODevice::Unbuffered;
    // Opening a valid handle cannot fail; the handle is the file's from here.
    file.open(fd, mode, QFileDevice::AutoCloseHandle);
    return true;
}

bool readDirectory(const QByteArray &path,
                   const std::function<void(QByteArrayView name, bool isDir, bool isLink)> &entry)
{
    DIR *dir = ::opendir(path.constData());
    if (!dir)
        return false;
    const int fd = ::dirfd(dir);
    while (const dirent *e = ::readdir(dir)) {
        if (e->d_name[0] == '.')
            continue;
        unsigned char type = e->d_type;
        struct stat st {};
        if (type == DT_UNKNOWN) {
            if (::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : S_ISLNK(st.st_mode) ? DT_LNK : DT_UNKNOWN;
        }
        const bool isLink = type == DT_LNK;
        if (isLink)
            type = ::fstatat(fd, e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        if (type == DT_DIR || type == DT_REG)
            entry(QByteArrayView(e->d_name), type == DT_DIR, isLink);
    }
    ::closedir(dir);
    return true;
}

Measured measure(const QByteArray &path, qint64 &size, QByteArray *target)
{
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        return Measured::Unmeasured;
    if (S_ISLNK(st.st_mode)) {
        if (linkLeadsOutside(path, target))
            return Measured::LinkOutside;
        if (::stat(path.constData(), &st) != 0)
            return Measured::Unmeasured;
    }
    if (S_ISDIR(st.st_mode))
        return Measured::Unmeasured;
    size = qint64(st.st_size);
    return Measured::Size;
}

int holdOpen(const QString &path)
{
    return ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

void releaseInBackground(int handle)
{
    if (handle >= 0)
        std::thread([handle] { ::close(handle); }).detach();
}

bool linkLeadsOutside(const QByteArray &path, QByteArray *target)
{
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return false;
    char *here = ::realpath(".", nullptr);
    char *there = ::realpath(path.constData(), nullptr);
    QByteArray inside = here ? QByteArray(here) : QByteArray();
    if (!inside.endsWith('/'))
        inside += '/';
    // A dangling link leads nowhere, and is not listed anyway.
    const bool outside = here && there && !QByteArray(there).startsWith(inside);
    if (outside && target)
        *target = QByteArray(there);
    std::free(here);
    std::free(there);
    return outside;
}

bool sameFile(const QString &a, const QString &b)
{
    struct stat sa {}, sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0
           && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void startWriteBack(int fd, qint64 offset, qint64 length)
{
#if defined(__linux__)
    ::sync_file_range(fd, offset, length, SYNC_FILE_RANGE_WRITE);
#else
    Q_UNUSED(fd);
    Q_UNUSED(offset);
    Q_UNUSED(length);
#endif
}

bool stderrIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

bool changeDirectory(const QByteArray &path, QString &error)
{
    if (::chdir(path.constData()) == 0)
        return true;
    error = systemReason(errno);
    return false;
}

} // namespace wf::platform
