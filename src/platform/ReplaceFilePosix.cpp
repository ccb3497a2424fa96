#include "platform/ReplaceFile.h"
#include <cerrno>
#include <chrono>
#include <future>
#include <system_error>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wf::platform {

namespace {
QString reason(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// fsync's errno, or 0; on a thread of its own when there is something to
// do meanwhile (a large file's sync can take a good part of a second).
int syncFile(int fd, const std::function<void()> &whileWaiting)
{
    const auto sync = [fd] { return ::fsync(fd) == 0 ? 0 : errno; };
    if (!whileWaiting)
        return sync();
    std::future<int> done;
    try {
        done = std::async(std::launch::async, sync);
    } catch (const std::system_error &) {
        return sync(); // no thread to be had
    }
    while (done.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        whileWaiting();
    return done.get();
}

mode_t newFileMode()
{
    // The only portable way to read the umask is to set it; put it back at once.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}
} // namespace

ReplaceFile::ReplaceFile(const QString &name) : m_name(QFile::encodeName(name)) {}

ReplaceFile::~ReplaceFile()
{
    cancel();
}

bool ReplaceFile::open(QString &error)
{
    QByteArray pattern = m_name + ".XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        error = reason(errno);
        return false;
    }
    m_temp = pattern;
    struct stat st {};
    const mode_t mode = ::stat(m_name.constData(), &st) == 0 ? (st.st_mode & 07777) : newFileMode();
    if (::fchmod(fd, mode) != 0 || !m_file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        error = reason(errno);
        ::close(fd);
        cancel();
        return false;
    }
    return true;
}

bool ReplaceFile::commit(QString &error, const std::function<void()> &whileWaiting)
{
    if (!m_file.isOpen()) {
        error = QStringLiteral("the file is not open");
        return false;
    }
    const int fd = m_file.handle();
    const int syncError = syncFile(fd, whileWaiting);
    const bool synced = syncError == 0;
    int err = syncError;
    m_file.close();
    if (synced && m_file.error() == QFileDevice::NoError && ::rename(m_temp.constData(), m_name.constData()) == 0) {
        m_temp.clear();
        return true;
    }
    err = synced ? errno : err;
    error = m_file.error() != QFileDevice::NoError ? m_file.errorString() : reason(err);
    cancel();
    return false;
}

void ReplaceFile::cancel()
{
    m_file.close();
    if (!m_temp.isEmpty())
        ::unlink(m_temp.constData());
    m_temp.clear();
}

} // namespace wf::platform
