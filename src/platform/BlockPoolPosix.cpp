// Blocks made ahead for the block writers, touched page by page on a
// thread of their own.
#include "platform/BlockWriter.h"
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <system_error>

namespace wf::platform {

namespace {
// Blocks made ahead by prepareBlocks() (the same type as BlockWriter's
// own); the thread making them is joined at exit.
using Block = std::unique_ptr<char, void (*)(void *)>;
struct Prepared {
    std::mutex mutex;
    std::vector<Block> ready;
    bool making = false;
    std::thread maker;
    ~Prepared()
    {
        if (maker.joinable())
            maker.join();
    }
};
Prepared &prepared()
{
    static Prepared p;
    return p;
}
} // namespace

void BlockWriter::prepareBlocks()
{
    auto &p = prepared();
    std::lock_guard<std::mutex> lock(p.mutex);
    if (p.making)
        return;
    if (p.maker.joinable())
        p.maker.join(); // done: it set `making` back as its last step
    const int wanted = kBuffers - int(p.ready.size());
    if (wanted <= 0)
        return;
    try {
        p.maker = std::thread([&p, wanted] {
            for (int i = 0; i < wanted; ++i) {
                Buffer b = alignedBuffer(kBlock);
                if (!b)
                    break;
#if defined(MADV_POPULATE_WRITE)
                ::madvise(b.get(), size_t(kBlock), MADV_POPULATE_WRITE); // pages in one call; best effort
#endif
                std::memset(b.get(), 0, size_t(kBlock));
                std::lock_guard<std::mutex> lock(p.mutex);
                p.ready.push_back(std::move(b));
            }
            std::lock_guard<std::mutex> lock(p.mutex);
            p.making = false;
        });
        p.making = true;
    } catch (const std::system_error &) {
        // No thread: the writers make their blocks as they go.
    }
}

int BlockWriter::blocksReady()
{
    auto &p = prepared();
    std::lock_guard<std::mutex> lock(p.mutex);
    return int(p.ready.size());
}

BlockWriter::Buffer BlockWriter::preparedBuffer()
{
    auto &p = prepared();
    std::lock_guard<std::mutex> lock(p.mutex);
    if (p.ready.empty())
        return Buffer(nullptr, std::free);
    Buffer b = std::move(p.ready.back());
    p.ready.pop_back();
    return b;
}

} // namespace wf::platform
