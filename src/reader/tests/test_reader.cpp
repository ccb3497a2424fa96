// The reader as a game uses it, on Linux and under Wine: files opened by a
// UTF-8 name, plain and masked packs, appended ones, many threads reading
// one pack at once, and the format's limits on both sides.
#include "Check.h"
#include "PackMaker.h"
#include "TestFiles.h"
#include <wfpak/wfpak.h>
#include <random>
#include <thread>

namespace {

using packmaker::keyFor;
using packmaker::Member;
using packmaker::readsBack;

// 8 threads, random ranges of random entries of one Pack, every byte compared.
void threadsRead(const wfpak::Pack &pack, const std::vector<Member> &members)
{
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            std::mt19937 random(t);
            std::string buffer;
            for (int i = 0; i < 2000; ++i) {
                const std::size_t k = random() % members.size();
                const std::string &want = members[k].data;
                const std::size_t from = want.empty() ? 0 : random() % want.size();
                buffer.assign(want.empty() ? 0 : random() % (want.size() - from + 1), '\0');
                wrong += !pack.readRange(pack.entries()[k], from, &buffer[0], buffer.size())
                         || want.compare(from, buffer.size(), buffer) != 0;
            }
        });
    for (std::thread &t : threads)
        t.join();
    CHECK(wrong == 0);
}

// Packs by UTF-8 names, read through openFile (by 8 threads at once), a
// FILE* and a stream.
TEST_CASE(filesByName)
{
    const std::vector<Member> members = packmaker::sample(40, 150000);
    for (bool masked : {false, true}) {
        for (const std::string name : {"Data.Pak", "café/Data.Pak", "日本/ゲーム.exe"}) {
            const bool exe = name.find(".exe") != std::string::npos;
            const std::string pak = packmaker::pack(members, masked), path = testfiles::scratch(name);
            CHECK(testfiles::writeFile(path, exe ? packmaker::appended("MZ stand-in", pak, masked) : pak));
            wfpak::Pack pack;
            if (!CHECK(pack.openFile(path, keyFor(masked)) && pack.layout().appended == exe))
                std::fprintf(stderr, "  %s: %s\n", name.c_str(), pack.errorText().c_str());
            readsBack(pack, members);
            threadsRead(pack, members);
            std::FILE *f = testfiles::openFile(path);
            const wfpak::FileSource file(f);
            CHECK(pack.open(file, keyFor(masked)));
            readsBack(pack, members);
            std::fclose(f);
            std::ifstream in(testfiles::fs::u8path(path), std::ios::binary);
            const wfpak::StreamSource stream(in);
            CHECK(pack.open(stream, keyFor(masked)));
            readsBack(pack, members);
        }
    }
    wfpak::Pack missing;
    CHECK(!missing.openFile(testfiles::scratch("none/Data.Pak")) && missing.error() == wfpak::Error::Io);
    const std::string inFolder = testfiles::scratch("folder/x");
    CHECK(!missing.openFile(inFolder.substr(0, inFolder.size() - 2)) && !missing.isOpen());
#if !defined(_WIN32)
    CHECK(missing.errorText().find("not a regular file") != std::string::npos);
#endif
}

// The format's limits, each on both sides; a refusal gives its code
// through the C interface too.
TEST_CASE(limits)
{
    using E = wfpak::Error;
    const struct { std::size_t lead, trail, nameLength, count; bool appended; E error; int code; } rows[] = {
        {499, 499, 3, 2, true, E::None, WFPAK_OK},             {500, 0, 3, 2, true, E::BadFiller, WFPAK_ETRAILER},
        {0, 500, 3, 2, true, E::BadFiller, WFPAK_ETRAILER},    {3, 2, 65535, 2, false, E::None, WFPAK_OK},
        {3, 2, 65536, 2, false, E::NameTooLong, WFPAK_EINDEX}, {3, 2, 65536, 2, true, E::NameTooLong, WFPAK_EINDEX},
        {3, 2, 3, 10000, true, E::None, WFPAK_OK},             {3, 2, 3, 10001, false, E::BadCount, WFPAK_ECOUNT},
    };
    for (const auto &row : rows) {
        std::vector<Member> members{{std::string(row.nameLength, 'n'), "data"}};
        for (std::size_t k = 1; k < row.count; ++k)
            members.push_back({"m" + std::to_string(k), std::string(k % 3, 'x')});
        const std::string pak = packmaker::pack(members, true, row.lead, row.trail);
        const std::string file = row.appended ? packmaker::appended("MZ", pak, true) : pak;
        const wfpak::MemorySource source(file.data(), file.size());
        wfpak::Pack pack;
        if (!CHECK(pack.open(source, keyFor(true)) == (row.error == E::None) && pack.error() == row.error))
            std::fprintf(stderr, "  row %d: %s\n", int(&row - rows), pack.errorText().c_str());
        if (pack.isOpen())
            readsBack(pack, members);
        wfpak_pack *c = nullptr;
        CHECK(wfpak_open_memory(&c, file.data(), file.size(), "11224488", "80000001") == row.code);
        wfpak_close(c);
    }
}

// Counts the bytes read through it.
struct CountingSource final : wfpak::Source {
    explicit CountingSource(const std::string &bytes) : memory(bytes.data(), bytes.size()) {}
    std::uint64_t size() const override { return memory.size(); }
    bool readAt(std::uint64_t at, void *out, std::size_t len) const override { return read += len, memory.readAt(at, out, len); }
    const wfpak::MemorySource memory;
    mutable std::atomic<std::uint64_t> read{0};
};

// 60 markers whose words all lead to one pack whose first name runs on for
// 64 KiB: each candidate would read it again; together they stop at the
// file's size.
TEST_CASE(trailerSearchReadsTheFileOnce)
{
    std::string file = packmaker::word(5) + packmaker::word(1) + std::string(150000, 'n');
    for (int k = 0; k < 60; ++k)
        file += packmaker::word(1) + "QUILDX";
    const CountingSource source(file);
    wfpak::Pack pack;
    CHECK(!pack.openLastTrailer(source) && pack.error() == wfpak::Error::NoTrailer);
    CHECK(pack.errorText().find("gave up after reading the file's size") != std::string::npos);
    CHECK(source.read <= 2 * file.size() + 65536);
}

// A game built by mingw (or cc) reading the pack appended to itself.
TEST_CASE(executableReadsItself)
{
    const testfiles::fs::path self = testfiles::selfPath();
    const std::string game = testfiles::utf8(self.parent_path() / ("wfpak_selfread" + self.extension().string()));
    const std::string exe = testfiles::readFile(game), copy = testfiles::scratch("café/Game.exe");
    const std::string pak = packmaker::pack({{"readme", "r"}, {"levels\\one.txt", "level one"}}, true);
    CHECK(!exe.empty() && testfiles::writeFile(copy, packmaker::appended(exe, pak, true)));
    testfiles::fs::permissions(testfiles::fs::u8path(copy), testfiles::fs::perms::owner_all);
    CHECK(testfiles::run(copy) == 0);
    std::fprintf(stderr, "  (next: the game without a pack of its own says so)\n");
    CHECK(testfiles::run(game) == 3);
}

} // namespace

int main(int argc, char **argv)
{
    return check::runAll(argc, argv);
}
