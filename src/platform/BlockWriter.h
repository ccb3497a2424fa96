#pragma once
// Writes one new file front to back in large aligned blocks, filled in
// place by the caller and written by threads of their own, several at once,
// so the caller never waits for the disk while a block is free. Direct I/O
// (no copy through the page cache) where the file system allows it;
// otherwise ordinary writes, each handed to the disk as it is made, so the
// final sync has little left to do.
#include <QString>
#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace wf::platform {

class BlockWriter {
public:
    enum class Io { DirectIfPossible, Buffered };
    // `fd` is a new, empty file open for writing; it must stay open until
    // the destructor has returned.
    explicit BlockWriter(int fd, Io io = Io::DirectIfPossible);
    BlockWriter(const BlockWriter &) = delete;
    BlockWriter &operator=(const BlockWriter &) = delete;
    // Waits for the writes in flight; an unfinished file is the caller's to
    // discard.
    ~BlockWriter();

    // Room for the next bytes of the file, at most `want` (> 0): its address,
    // and its size in `len` (at least 1). Null when an earlier write failed
    // or no memory is left; errorString() says why.
    char *room(qint64 want, qint64 &len);
    // The first `n` bytes of the last room are the file's next bytes.
    bool advance(qint64 n);
    // Writes what is left, then `head` over the file's first bytes (which
    // must be written already), and waits until every write is done. The
    // file then holds exactly the bytes given; syncing it is the caller's.
    bool finish(const char *head, qint64 headLen);

    // Called every few milliseconds while room() or finish() waits for the
    // disk (a disk can stall for a good part of a second), so a window
    // stays responsive.
    std::function<void()> whileWaiting;

    // Makes the blocks the next writers take, touching every page, on a
    // thread of its own: a caller with other work first (reading a profile,
    // walking a project) hands that cost to another core, where a writer
    // would pay it filling its first blocks (the first touch of a page can
    // cost 10 microseconds and more on a virtual machine). Blocks not taken
    // are freed at exit.
    static void prepareBlocks();
    // How many prepared blocks wait to be taken.
    static int blocksReady();

    qint64 position() const { return m_flushed + m_fill; }
    QString errorString() const;

    static constexpr qint64 kBlock = 4 << 20;
    static constexpr int kBuffers = 4; // one filling, the rest in flight

private:
    struct Job {
        int buffer;
        qint64 offset;
        qint64 len;
    };
    using Buffer = std::unique_ptr<char, void (*)(void *)>;
    static Buffer alignedBuffer(qint64 size);
    static Buffer preparedBuffer();
    int take();
    void waitFor(std::unique_lock<std::mutex> &lock, const std::function<bool()> &ready);
    void hand(qint64 len);
    void run();
    int writeAt(const char *data, qint64 len, qint64 offset);
    void dropDirect();

    int m_fd;
    std::atomic<bool> m_direct{false};
    std::atomic<int> m_error{0};
    std::array<Buffer, kBuffers> m_buffers{{{nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}}};
    int m_allocated = 0;
    Buffer m_head{nullptr, nullptr}; // the first block's start, written again last with the head
    int m_current = -1;
    qint64 m_fill = 0;
    qint64 m_flushed = 0;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_jobs;
    std::vector<int> m_free;
    int m_busy = 0;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

} // namespace wf::platform
