#include "platform/BlockWriter.h"
#include "platform/FileSystem.h"
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace wf::platform {

namespace {
// Direct I/O wants buffers, offsets and lengths aligned to the device's
// block size; 4096 is a multiple of every size in use.
constexpr qint64 kAlign = 4096;
} // namespace

BlockWriter::Buffer BlockWriter::alignedBuffer(qint64 size)
{
    void *p = nullptr;
    if (::posix_memalign(&p, size_t(kAlign), size_t(size)) != 0)
        p = nullptr;
    return Buffer(static_cast<char *>(p), std::free);
}

BlockWriter::BlockWriter(int fd, Io io) : m_fd(fd)
{
#if defined(O_DIRECT)
    if (io == Io::Buffered)
        return;
    // Refused by file systems without direct I/O (tmpfs on older kernels,
    // some network file systems): ordinary writes then.
    const int flags = ::fcntl(fd, F_GETFL);
    m_direct = flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_DIRECT) == 0;
#else
    Q_UNUSED(io);
#endif
}

BlockWriter::~BlockWriter()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_jobs.clear(); // an abandoned file: what is queued need not be written
    }
    m_changed.notify_all();
    for (std::thread &t : m_threads)
        t.join();
}

QString BlockWriter::errorString() const
{
    return QString::fromLocal8Bit(std::strerror(m_error));
}

char *BlockWriter::room(qint64 want, qint64 &len)
{
    if (m_current < 0 && (m_current = take()) < 0)
        return nullptr;
    len = qMin(want, kBlock - m_fill);
    return m_buffers[size_t(m_current)].get() + m_fill;
}

bool BlockWriter::advance(qint64 n)
{
    m_fill += n;
    if (m_fill == kBlock)
        hand(m_fill);
    return m_error == 0;
}

int BlockWriter::take()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_free.empty() && m_allocated < kBuffers && m_error == 0) {
        // Allocated as needed: a small pack uses one block and one thread.
        Buffer b = preparedBuffer();
        m_buffers[size_t(m_allocated)] = b ? std::move(b) : alignedBuffer(kBlock);
        if (!m_buffers[size_t(m_allocated)]) {
            m_error = ENOMEM;
            return -1;
        }
        return m_allocated++;
    }
    waitFor(lock, [this] { return !m_free.empty() || m_error != 0; });
    if (m_error != 0)
        return -1;
    const int b = m_free.back();
    m_free.pop_back();
    return b;
}

void BlockWriter::waitFor(std::unique_lock<std::mutex> &lock, const std::function<bool()> &ready)
{
    while (!m_changed.wait_for(lock, std::chrono::milliseconds(5), ready)) {
        if (whileWaiting) {
            lock.unlock();
            whileWaiting();
            lock.lock();
        }
    }
}

void BlockWriter::hand(qint64 len)
{
    if (m_flushed == 0 && m_fill == kBlock) {
        m_head = alignedBuffer(kAlign);
        if (m_head)
            std::memcpy(m_head.get(), m_buffers[size_t(m_current)].get(), size_t(kAlign));
        else
            m_error = ENOMEM;
    }
    bool threadless = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back({m_current, m_flushed, len});
        const int idle = int(m_threads.size()) - m_busy;
        if (int(m_jobs.size()) > idle && int(m_threads.size()) < kBuffers) {
            try {
                m_threads.emplace_back([this] { run(); });
            } catch (const std::system_error &) {
                // No thread to be had: with none at all, write here.
                threadless = m_threads.empty();
            }
        }
        if (threadless) {
            m_jobs.pop_back();
            m_free.push_back(m_current);
        }
    }
    if (threadless && m_error == 0) {
        const int err = writeAt(m_buffers[size_t(m_current)].get(), len, m_flushed);
        if (err != 0)
            m_error = err;
    }
    m_changed.notify_all();
    m_flushed += m_fill;
    m_fill = 0;
    m_current = -1;
}

void BlockWriter::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
        if (m_jobs.empty())
            return;
        const Job job = m_jobs.front();
        m_jobs.pop_front();
        ++m_busy;
        lock.unlock();
        // After a failure the file is lost anyway: the rest is not written.
        const int err = m_error != 0 ? 0 : writeAt(m_buffers[size_t(job.buffer)].get(), job.len, job.offset);
        lock.lock();
        --m_busy;
        if (err != 0 && m_error == 0)
            m_error = err;
        m_free.push_back(job.buffer);
        m_changed.notify_all();
    }
}

int BlockWriter::writeAt(const char *data, qint64 len, qint64 offset)
{
    bool retried = false;
    for (qint64 done = 0; done < len;) {
        const ssize_t n = ::pwrite(m_fd, data + done, size_t(len - done), off_t(offset + done));
        if (n > 0) {
            done += n;
            continue;
        }
        const int err = n < 0 ? errno : EIO;
        if (err == EINTR)
            continue;
        // Some file systems accept the flag but refuse the writes.
        if (err == EINVAL && m_direct && !retried) {
            retried = true;
            dropDirect();
            continue;
        }
        return err;
    }
    if (!m_direct)
        startWriteBack(m_fd, offset, len);
    return 0;
}

void BlockWriter::dropDirect()
{
#if defined(O_DIRECT)
    std::lock_guard<std::mutex> lock(m_mutex);
    const int flags = ::fcntl(m_fd, F_GETFL);
    if (flags >= 0 && (flags & O_DIRECT))
        ::fcntl(m_fd, F_SETFL, flags & ~O_DIRECT);
#endif
    m_direct = false;
}

bool BlockWriter::finish(const char *head, qint64 headLen)
{
    const qint64 total = position();
    const bool headWritten = m_flushed > 0;
    if (!headWritten && m_fill > 0)
        std::memcpy(m_buffers[size_t(m_current)].get(), head, size_t(qMin(headLen, m_fill)));
    if (m_fill > 0) {
        // Direct I/O writes whole blocks: the last one is padded with zeros
        // and the file cut back to its length below.
        const qint64 padded = (m_fill + kAlign - 1) / kAlign * kAlign;
        std::memset(m_buffers[size_t(m_current)].get() + m_fill, 0, size_t(padded - m_fill));
        hand(padded);
    }
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        waitFor(lock, [this] { return m_jobs.empty() && m_busy == 0; });
    }
    if (m_error == 0 && headWritten) {
        std::memcpy(m_head.get(), head, size_t(qMin(headLen, kAlign)));
        m_error = writeAt(m_head.get(), kAlign, 0);
    }
    if (m_error == 0 && ::ftruncate(m_fd, off_t(total)) != 0)
        m_error = errno;
    return m_error == 0;
}

} // namespace wf::platform
