#pragma once
// Hands written data to the disk while a file is still being written, from
// a thread of its own, so the writer never waits on it and the final sync
// finds little left to do.
#include <QtGlobal>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace wf::platform {

class WriteBack {
public:
    // `fd` must stay open until stop() or the destructor has returned.
    explicit WriteBack(int fd);
    WriteBack(const WriteBack &) = delete;
    WriteBack &operator=(const WriteBack &) = delete;
    ~WriteBack();

    // Everything before `end` has been written: start writing it to disk.
    // Returns at once.
    void upTo(qint64 end);
    // Waits until the thread has handed over what it was given, and ends it.
    void stop();

private:
    void run();

    int m_fd;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    qint64 m_requested = 0;
    qint64 m_started = 0;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace wf::platform
