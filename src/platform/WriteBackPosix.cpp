#include "platform/WriteBack.h"
#include "platform/FileSystem.h"

namespace wf::platform {

WriteBack::WriteBack(int fd) : m_fd(fd), m_thread([this] { run(); }) {}

WriteBack::~WriteBack()
{
    stop();
}

void WriteBack::upTo(qint64 end)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requested = qMax(m_requested, end);
    }
    m_wake.notify_one();
}

void WriteBack::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void WriteBack::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || m_requested > m_started; });
        // Once stopping, what is left is the final sync's: no more to start.
        if (m_stopping)
            return;
        const qint64 from = m_started, to = m_requested;
        m_started = to;
        lock.unlock();
        startWriteBack(m_fd, from, to - from);
        lock.lock();
    }
}

} // namespace wf::platform
