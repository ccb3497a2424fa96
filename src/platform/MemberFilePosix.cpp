#include "platform/MemberFile.h"
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wf::platform {

namespace {
QString systemReason(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}
} // namespace

MemberFile::~MemberFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool MemberFile::open(const QString &path, QString &error)
{
    // O_NONBLOCK: opening a named pipe would otherwise wait for a writer. On
    // a regular file it changes nothing, so it stays set.
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        error = systemReason(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = S_ISREG(st.st_mode) ? systemReason(errno) : QStringLiteral("it is not a regular file");
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    m_size = qint64(st.st_size);
    return true;
}

qint64 MemberFile::read(char *data, qint64 len, QString &reason)
{
    for (;;) {
        const ssize_t got = ::read(m_fd, data, size_t(len));
        if (got >= 0)
            return qint64(got);
        if (errno != EINTR) {
            reason = systemReason(errno);
            return -1;
        }
    }
}

} // namespace wf::platform
