// The limit for a build that ends with its data on disk: the given files
// copied back to back into OUT with direct I/O (4 MiB aligned buffers, up to
// four writes in flight), the last partial block padded and cut back, then
// fdatasync. No masking, no index: nothing a pack builder could skip.
//   wrenfold_bench_copy OUT FILE...
#include <condition_variable>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kBuffer = 4u << 20;
constexpr int kInFlight = 4;
constexpr size_t kAlign = 4096;

struct Job {
    int buffer;
    off_t offset;
    size_t len;
};

std::mutex g_mutex;
std::condition_variable g_changed;
std::deque<Job> g_jobs;
std::vector<int> g_free;
bool g_done = false;
bool g_failed = false;

void writer(int out, const std::vector<char *> &buffers)
{
    std::unique_lock<std::mutex> lock(g_mutex);
    for (;;) {
        g_changed.wait(lock, [] { return g_done || !g_jobs.empty(); });
        if (g_jobs.empty())
            return;
        const Job job = g_jobs.front();
        g_jobs.pop_front();
        lock.unlock();
        size_t done = 0;
        bool ok = true;
        while (done < job.len) {
            const ssize_t n = ::pwrite(out, buffers[size_t(job.buffer)] + done, job.len - done, job.offset + off_t(done));
            if (n <= 0 && errno != EINTR) {
                ok = false;
                break;
            }
            if (n > 0)
                done += size_t(n);
        }
        lock.lock();
        g_failed = g_failed || !ok;
        g_free.push_back(job.buffer);
        g_changed.notify_all();
    }
}

int fail(const char *what, const char *name)
{
    std::fprintf(stderr, "wrenfold_bench_copy: %s %s: %s\n", what, name, std::strerror(errno));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: wrenfold_bench_copy OUT FILE...\n");
        return 2;
    }
    const int out = ::open(argv[1], O_WRONLY | O_CREAT | O_TRUNC | O_DIRECT | O_CLOEXEC, 0644);
    if (out < 0)
        return fail("cannot open with O_DIRECT", argv[1]);
    std::vector<char *> buffers(kInFlight);
    for (int i = 0; i < kInFlight; ++i) {
        void *p = nullptr;
        if (::posix_memalign(&p, kAlign, kBuffer) != 0)
            return fail("cannot allocate", "buffers");
        buffers[size_t(i)] = static_cast<char *>(p);
        g_free.push_back(i);
    }
    std::vector<std::thread> threads;
    for (int i = 0; i < kInFlight; ++i)
        threads.emplace_back(writer, out, std::cref(buffers));

    const auto take = [] {
        std::unique_lock<std::mutex> lock(g_mutex);
        g_changed.wait(lock, [] { return !g_free.empty(); });
        const int b = g_free.back();
        g_free.pop_back();
        return b;
    };
    const auto hand = [](int b, off_t offset, size_t len) {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_jobs.push_back({b, offset, len});
        g_changed.notify_all();
    };
    int current = take();
    size_t fill = 0;
    off_t flushed = 0;
    for (int i = 2; i < argc; ++i) {
        const int in = ::open(argv[i], O_RDONLY | O_CLOEXEC);
        struct stat st {};
        if (in < 0 || ::fstat(in, &st) != 0)
            return fail("cannot read", argv[i]);
        for (off_t left = st.st_size; left > 0;) {
            const size_t want = size_t(left) < kBuffer - fill ? size_t(left) : kBuffer - fill;
            const ssize_t got = ::read(in, buffers[size_t(current)] + fill, want);
            if (got <= 0)
                return fail("cannot read", argv[i]);
            fill += size_t(got);
            left -= got;
            if (fill == kBuffer) {
                hand(current, flushed, fill);
                flushed += off_t(fill);
                fill = 0;
                current = take();
            }
        }
        ::close(in);
    }
    const off_t total = flushed + off_t(fill);
    if (fill > 0) { // the last partial block, padded to the alignment
        const size_t padded = (fill + kAlign - 1) / kAlign * kAlign;
        std::memset(buffers[size_t(current)] + fill, 0, padded - fill);
        hand(current, flushed, padded);
    }
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_done = true;
        g_changed.notify_all();
    }
    for (std::thread &t : threads)
        t.join();
    if (g_failed)
        return fail("cannot write", argv[1]);
    if (::ftruncate(out, total) != 0 || ::fdatasync(out) != 0 || ::close(out) != 0)
        return fail("cannot finish", argv[1]);
    return 0;
}
