// Hostile files, sparse so they take no room on disk: each is opened in a
// child process under a memory limit, and must fail with the right error
// rather than wrap, grow or reread. The ctest TIMEOUT bounds the time.
#include "Check.h"
#include "PackMaker.h"
#include "TestFiles.h"
#include <wfpak/PakReader.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// AddressSanitizer reserves terabytes of address space at start, so under it
// the limit cannot be set; the ordinary run keeps the memory bound.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kLimitMemory = false;
#else
constexpr bool kLimitMemory = true;
#endif

constexpr std::uint64_t kGiB = 1024ull * 1024 * 1024;
constexpr std::uint64_t kMiB = 1024ull * 1024;

// A sparse file of `size` bytes holding `pieces` (offset, bytes).
bool sparse(const std::string &path, std::uint64_t size, const std::vector<std::pair<std::uint64_t, std::string>> &pieces)
{
    const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    bool ok = fd >= 0 && ftruncate(fd, off_t(size)) == 0;
    for (const auto &piece : pieces)
        ok = ok && pwrite(fd, piece.second.data(), piece.second.size(), off_t(piece.first)) == ssize_t(piece.second.size());
    return fd >= 0 && ::close(fd) == 0 && ok;
}

// Opens `path` in a child limited to 64 MiB of address space beyond what
// it holds at the start; the child exits 0 when open() failed with `want`.
bool failsWithin(const std::string &path, wfpak::Error want, bool lastTrailer = false)
{
    const pid_t pid = fork();
    if (pid == 0) {
        struct rlimit limit;
        limit.rlim_cur = limit.rlim_max = 256 * kMiB; // the program itself takes some
        if (kLimitMemory)
            setrlimit(RLIMIT_AS, &limit);
        wfpak::Pack pack;
        bool opened = pack.openFile(path);
        if (!opened && lastTrailer) {
            std::FILE *f = std::fopen(path.c_str(), "rb");
            const wfpak::FileSource source(f);
            opened = pack.openLastTrailer(source);
            std::fclose(f);
        }
        std::fprintf(stderr, "  %s: %s\n", path.c_str(), pack.errorText().c_str());
        _exit(!opened && pack.error() == want ? 0 : 1);
    }
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A 5 GiB executable with a pack appended: its trailer word wraps past
// 4 GiB and points into the zeros, where an empty pack seems to begin.
TEST_CASE(fiveGiBExecutable)
{
    testfiles::ScratchDir dir;
    const std::string path = dir.file("Game.exe");
    const std::uint64_t exe = 5 * kGiB;
    const std::string pak = packmaker::pack({{"a", "x"}}, false, 0, 0);
    const std::string tail = pak + packmaker::word(std::uint32_t(exe + 1)) + "QUILDX";
    const std::uint64_t wrapped = exe % (4 * kGiB);
    CHECK(sparse(path, exe + tail.size(), {{wrapped, packmaker::word(5) + packmaker::word(0)}, {exe, tail}}));
    CHECK(failsWithin(path, wfpak::Error::BadFiller));
}

// 2.2 GiB whose first name never ends.
TEST_CASE(nameNeverEnds)
{
    testfiles::ScratchDir dir;
    const std::string path = dir.file("Data.Pak");
    CHECK(sparse(path, 2200 * kMiB, {{0, packmaker::word(5) + packmaker::word(1) + "endless"}}));
    CHECK(failsWithin(path, wfpak::Error::NameTooLong));
}

// 64 markers over 100 MiB, each word pointing at the file's start, whose
// count of one is followed by zeros: each candidate parse is cut short.
TEST_CASE(markersOverHundredMiB)
{
    testfiles::ScratchDir dir;
    const std::string path = dir.file("Game.exe");
    std::vector<std::pair<std::uint64_t, std::string>> pieces{{0, packmaker::word(5) + packmaker::word(1)}};
    for (std::uint64_t k = 1; k <= 64; ++k)
        pieces.push_back({k * (100 * kMiB / 65), packmaker::word(1) + "QUILDX"});
    CHECK(sparse(path, 100 * kMiB, pieces));
    CHECK(failsWithin(path, wfpak::Error::NoTrailer, true));
}

} // namespace

int main(int argc, char **argv)
{
    return check::runAll(argc, argv);
}
