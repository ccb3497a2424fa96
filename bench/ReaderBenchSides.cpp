#include "ReaderBench.h"
#include <wfpak/PakReader.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <physfs.h>
#include <unistd.h>

namespace readerbench {

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

wfpak::Key keyFor(bool masked)
{
    return masked ? wfpak::Key::fromTexts("1A2B3C4D", "5B19C7E4") : wfpak::Key();
}

// Something of every buffer, so that no read can be skipped.
std::uint64_t touch(const std::vector<unsigned char> &buffer, std::size_t n)
{
    return n == 0 ? 0 : buffer[0] + 3u * buffer[n / 2] + 7u * buffer[n - 1];
}

// The destination every read side shares, kept from run to run as a game
// keeps its buffers: a fresh one, even written over once, makes the kernel's
// first copies into it twice as slow, which no reader can help.
std::vector<unsigned char> &sharedBuffer(std::size_t size)
{
    static std::vector<unsigned char> buffer;
    if (buffer.size() < size)
        buffer.assign(size, 1);
    return buffer;
}

std::uint32_t largestEntry(const wfpak::Pack &p)
{
    std::uint32_t largest = 0;
    for (const wfpak::Entry &e : p.entries())
        largest = std::max(largest, e.size);
    return largest;
}

// The one pass's own 1 MiB buffer, likewise kept.
std::vector<unsigned char> &passBuffer()
{
    static std::vector<unsigned char> buffer(1 << 20, 1);
    return buffer;
}

double failure(const char *what, const std::string &detail)
{
    std::fprintf(stderr, "reader bench: %s: %s\n", what, detail.c_str());
    return -1;
}

// PhysicsFS mounted on a zip for the life of a side.
struct Mounted {
    explicit Mounted(const std::string &zip)
    {
        ok = PHYSFS_init(nullptr) && PHYSFS_mount(zip.c_str(), nullptr, 0);
    }
    ~Mounted() { PHYSFS_deinit(); }
    bool ok = false;
};

} // namespace

double readerOpenLookup(const std::string &pack, const Files &files, bool masked)
{
    const Clock::time_point t = Clock::now();
    wfpak::Pack p;
    if (!p.openFile(pack, keyFor(masked)))
        return failure("open", p.errorText());
    for (const std::string &name : files.names) {
        if (!p.find(name))
            return failure("lookup", name);
    }
    return msSince(t);
}

double physfsOpenLookup(const std::string &zip, const Files &files)
{
    const Clock::time_point t = Clock::now();
    Mounted m(zip);
    if (!m.ok)
        return failure("PhysicsFS mount", PHYSFS_getErrorByCode(PHYSFS_getLastErrorCode()));
    for (const std::string &name : files.names) {
        if (!PHYSFS_exists(name.c_str()))
            return failure("PhysicsFS lookup", name);
    }
    return msSince(t);
}

double readerReadAll(const std::string &pack, bool masked, std::uint64_t &checksum)
{
    wfpak::Pack p;
    if (!p.openFile(pack, keyFor(masked)))
        return failure("open", p.errorText());
    std::vector<unsigned char> &buffer = sharedBuffer(largestEntry(p));
    checksum = 0;
    const Clock::time_point t = Clock::now();
    for (const wfpak::Entry &e : p.entries()) {
        if (!p.read(e, buffer.data(), buffer.size()))
            return failure("read", e.name);
        checksum += touch(buffer, e.size);
    }
    return msSince(t);
}

double physfsReadAll(const std::string &zip, const Files &files, std::uint64_t &checksum)
{
    Mounted m(zip);
    if (!m.ok)
        return failure("PhysicsFS mount", PHYSFS_getErrorByCode(PHYSFS_getLastErrorCode()));
    std::vector<unsigned char> &buffer = sharedBuffer(files.largest);
    checksum = 0;
    const Clock::time_point t = Clock::now();
    for (const std::string &name : files.names) {
        PHYSFS_File *f = PHYSFS_openRead(name.c_str());
        if (!f)
            return failure("PhysicsFS open", name);
        const PHYSFS_sint64 len = PHYSFS_fileLength(f);
        const PHYSFS_sint64 got = PHYSFS_readBytes(f, buffer.data(), PHYSFS_uint64(len));
        PHYSFS_close(f);
        if (got != len)
            return failure("PhysicsFS read", name);
        checksum += touch(buffer, std::size_t(len));
    }
    return msSince(t);
}

double looseReadAll(const Files &files, std::uint64_t &checksum)
{
    std::vector<unsigned char> &buffer = sharedBuffer(files.largest + 1);
    checksum = 0;
    const Clock::time_point t = Clock::now();
    for (const std::string &name : files.names) {
        std::FILE *f = std::fopen((files.dir + '/' + name).c_str(), "rb");
        if (!f)
            return failure("fopen", name);
        const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), f);
        std::fclose(f);
        checksum += touch(buffer, n);
    }
    return msSince(t);
}

double sequentialPass(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return failure("open", path);
    std::vector<unsigned char> &buffer = passBuffer();
    std::uint64_t sum = 0;
    const Clock::time_point t = Clock::now();
    for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;)
        sum += touch(buffer, std::size_t(n));
    const double ms = msSince(t);
    ::close(fd);
    return sum == 0 ? failure("pass", "read nothing") : ms;
}

double entryPreads(const std::string &pack, std::uint64_t &checksum)
{
    wfpak::Pack p;
    if (!p.openFile(pack))
        return failure("open", p.errorText());
    const int fd = ::open(pack.c_str(), O_RDONLY);
    if (fd < 0)
        return failure("open", pack);
    std::vector<unsigned char> &buffer = sharedBuffer(largestEntry(p));
    checksum = 0;
    const std::uint64_t start = p.layout().packStart;
    const Clock::time_point t = Clock::now();
    for (const wfpak::Entry &e : p.entries()) {
        if (::pread(fd, buffer.data(), e.size, off_t(start + e.offset)) != ssize_t(e.size)) {
            ::close(fd);
            return failure("pread", e.name);
        }
        checksum += touch(buffer, e.size);
    }
    const double ms = msSince(t);
    ::close(fd);
    return ms;
}

std::int64_t readerMemory(const std::string &pack, const Files &files, bool masked)
{
    const auto heap = [] {
        const struct mallinfo2 m = mallinfo2();
        return std::int64_t(m.uordblks + m.hblkhd);
    };
    const std::int64_t before = heap();
    auto p = std::make_unique<wfpak::Pack>();
    if (!p->openFile(pack, keyFor(masked)))
        return -1;
    for (const std::string &name : files.names)
        p->find(name);
    return heap() - before + std::int64_t(sizeof(wfpak::Pack));
}

} // namespace readerbench
