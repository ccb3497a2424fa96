// Hostile sparse files, each opened in a child process under a memory limit
// and an alarm: the right error, rather than a wrap, growth, rereads or a spin.
#include "Check.h"
#include "PackMaker.h"
#include "TestFiles.h"
#include <fcntl.h>
#include <sys/resource.h>

namespace {

using packmaker::word;
using Pieces = std::vector<std::pair<std::uint64_t, std::string>>;
constexpr std::uint64_t kMiB = 1024ull * 1024, kGiB = 1024 * kMiB;

// A sparse file of `size` bytes holding `pieces` (offset, bytes).
bool sparse(const std::string &path, std::uint64_t size, const Pieces &pieces)
{
    const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    bool ok = fd >= 0 && ftruncate(fd, off_t(size)) == 0;
    for (const auto &[offset, bytes] : pieces)
        ok = ok && pwrite(fd, bytes.data(), bytes.size(), off_t(offset)) == ssize_t(bytes.size());
    return fd >= 0 && ::close(fd) == 0 && ok;
}

// True when a child limited to 256 MiB of address space (not under ASan,
// which reserves terabytes) and 20 seconds fails to open `path` with `want`.
bool failsWithin(const std::string &path, wfpak::Error want, bool lastTrailer)
{
    const pid_t pid = fork();
    if (pid == 0) {
        const rlimit limit{256 * kMiB, 256 * kMiB};
#if !defined(__SANITIZE_ADDRESS__)
        setrlimit(RLIMIT_AS, &limit);
#endif
        alarm(20);
        wfpak::Pack pack;
        std::FILE *f = std::fopen(path.c_str(), "rb");
        const wfpak::FileSource source(f);
        const bool opened = pack.openFile(path) || (lastTrailer && pack.openLastTrailer(source));
        std::fprintf(stderr, "  %s: %s\n", path.c_str(), pack.errorText().c_str());
        _exit(!opened && pack.error() == want ? 0 : 1);
    }
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_CASE(sparseFiles)
{
    const std::string pak = packmaker::pack({{"a", "x"}}, false, 0, 0);
    Pieces markers{{0, word(5) + word(1)}};
    for (std::uint64_t k = 1; k <= 64; ++k)
        markers.push_back({k * (100 * kMiB / 65), word(1) + "QUILDX"});
    const struct { const char *what; std::uint64_t size; Pieces pieces; wfpak::Error error; bool lastTrailer; } rows[] = {
        // A 5 GiB executable with a pack appended: its trailer word wraps past
        // 4 GiB and points into the zeros, where an empty pack seems to begin.
        {"5 GiB executable", 5 * kGiB + pak.size() + 10,
         {{kGiB, word(5) + word(0)}, {5 * kGiB, pak + word(std::uint32_t(5 * kGiB + 1)) + "QUILDX"}}, wfpak::Error::BadFiller, false},
        {"2.2 GiB whose first name never ends", 2200 * kMiB, {{0, word(5) + word(1) + "endless"}}, wfpak::Error::NameTooLong, false},
        // No position lies past 2 GiB, even in a file that has such bytes.
        {"3 GiB, count word past 2 GiB", 3 * kGiB, {{0, word(0x80000001u)}, {2 * kGiB, word(0)}}, wfpak::Error::HeaderOutside, false},
        // 64 markers over 100 MiB, each word pointing at the file's start, whose
        // count of one is followed by zeros: each candidate parse is cut short.
        {"64 markers over 100 MiB", 100 * kMiB, markers, wfpak::Error::NoTrailer, true},
    };
    for (const auto &row : rows) {
        const std::string path = testfiles::scratch("Game.exe");
        if (!CHECK(sparse(path, row.size, row.pieces) && failsWithin(path, row.error, row.lastTrailer)))
            std::fprintf(stderr, "  %s\n", row.what);
    }
}

} // namespace

int main(int argc, char **argv)
{
    return check::runAll(argc, argv);
}
