// The reader as a game uses it, on Linux and under Wine: files opened by a
// UTF-8 name, plain and masked packs, appended ones, the C interface, many
// threads reading one pack at once, and the format's limits on both sides.
#include "Check.h"
#include "PackMaker.h"
#include "ReadsBack.h"
#include "TestFiles.h"
#include <wfpak/PakReader.h>
#include <wfpak/wfpak.h>
#include <atomic>
#include <cstring>
#include <fstream>
#include <random>
#include <thread>

namespace {

using packmaker::Member;
using readsback::keyFor;
using readsback::readsBack;

TEST_CASE(filesByName)
{
    testfiles::ScratchDir dir;
    const std::vector<Member> members = packmaker::sample(40);
    for (bool masked : {false, true}) {
        for (const char *name : {"Data.Pak", "café/Data.Pak", "日本/ゲーム.exe"}) {
            const std::string pak = packmaker::pack(members, masked);
            const bool exe = std::string(name).find(".exe") != std::string::npos;
            const std::string path = dir.file(name);
            CHECK(testfiles::writeFile(path, exe ? packmaker::appended("MZ stand-in", pak, masked) : pak));
            wfpak::Pack pack;
            if (!CHECK(pack.openFile(path, keyFor(masked))))
                std::fprintf(stderr, "  %s: %s\n", name, pack.errorText().c_str());
            CHECK(pack.layout().appended == exe);
            readsBack(pack, members);
            // The same through a stream, and through the C interface.
            std::ifstream in(testfiles::fromUtf8(path), std::ios::binary);
            const wfpak::StreamSource stream(in);
            CHECK(pack.open(stream, keyFor(masked)));
            readsBack(pack, members);
            wfpak_pack *c = nullptr;
            CHECK(wfpak_open_file(&c, path.c_str(), masked ? "$11224488" : nullptr, masked ? "$80000001" : nullptr) == 0);
            CHECK(c && wfpak_count(c) == members.size() && std::string(wfpak_errmsg(c)).empty());
            std::string data(70000, '\0');
            for (std::size_t k = 0; c && k < members.size(); ++k)
                CHECK(wfpak_read(c, k, 0, &data[0], data.size()) == std::int64_t(members[k].data.size())
                      && data.compare(0, members[k].data.size(), members[k].data) == 0);
            wfpak_close(c);
        }
    }
    wfpak::Pack missing;
    CHECK(!missing.openFile(dir.file("none/Data.Pak")) && missing.error() == wfpak::Error::Io);
    const std::string inFolder = dir.file("folder/x");
    CHECK(!missing.openFile(inFolder.substr(0, inFolder.size() - 2)) && !missing.isOpen()); // a folder is no file
}

// 8 threads, random ranges of random entries of one Pack, every byte compared.
TEST_CASE(threadsReadOnePack)
{
    testfiles::ScratchDir dir;
    const std::vector<Member> members = packmaker::sample(60, 200000);
    for (bool masked : {false, true}) {
        const std::string path = dir.file(masked ? "masked.pak" : "plain.pak");
        CHECK(testfiles::writeFile(path, packmaker::pack(members, masked)));
        wfpak::Pack pack;
        std::FILE *f = std::fopen(path.c_str(), "rb");
        const wfpak::FileSource fileSource(f);
        for (int way = 0; way < 2; ++way) {
            CHECK(way == 0 ? pack.openFile(path, keyFor(masked)) : pack.open(fileSource, keyFor(masked)));
            std::atomic<int> wrong{0};
            std::vector<std::thread> threads;
            for (unsigned t = 0; t < 8; ++t) {
                threads.emplace_back([&, t] {
                    std::mt19937 random(t * 7 + unsigned(masked));
                    std::string buffer;
                    for (int i = 0; i < 3000; ++i) {
                        const std::size_t k = random() % members.size();
                        const std::string &want = members[k].data;
                        const std::size_t from = want.empty() ? 0 : random() % want.size();
                        const std::size_t len = want.empty() ? 0 : random() % (want.size() - from + 1);
                        buffer.assign(len, '\0');
                        if (!pack.readRange(pack.entries()[k], from, &buffer[0], len) || want.compare(from, len, buffer) != 0)
                            ++wrong;
                    }
                });
            }
            for (std::thread &t : threads)
                t.join();
            CHECK(wrong == 0);
        }
        std::fclose(f);
    }
}

// Ranges starting at every phase of the key cycle, every short length.
TEST_CASE(rangesAtEveryPhase)
{
    const std::vector<Member> members{{"a", packmaker::content(3, 77)}};
    const std::string pak = packmaker::pack(members, true, 5, 0);
    const wfpak::MemorySource source(pak.data(), pak.size());
    wfpak::Pack pack;
    CHECK(pack.open(source, keyFor(true)));
    char buffer[80];
    for (std::size_t from = 0; from <= 77; ++from)
        for (std::size_t len = 0; from + len <= 77; len += 1 + len / 4)
            CHECK(pack.readRange(pack.entries()[0], from, buffer, len) && members[0].data.compare(from, len, buffer, len) == 0);
}

// The format's limits, each on both sides.
TEST_CASE(limits)
{
    struct Row {
        const char *what;
        std::size_t lead, trail, nameLength;
        bool appended, opens;
        wfpak::Error error;
    };
    const Row rows[] = {
        {"fillers of 499 after a trailer", 499, 499, 3, true, true, wfpak::Error::None},
        {"leading filler of 500 after a trailer", 500, 0, 3, true, false, wfpak::Error::BadFiller},
        {"trailing filler of 500 after a trailer", 0, 500, 3, true, false, wfpak::Error::BadFiller},
        {"name of 65,535 bytes", 3, 2, 65535, false, true, wfpak::Error::None},
        {"name of 65,536 bytes", 3, 2, 65536, false, false, wfpak::Error::NameTooLong},
        {"name of 65,536 bytes after a trailer", 3, 2, 65536, true, false, wfpak::Error::NameTooLong},
    };
    for (const Row &row : rows) {
        const std::vector<Member> members{{std::string(row.nameLength, 'n'), "data"}, {"b", "more"}};
        const std::string pak = packmaker::pack(members, true, row.lead, row.trail);
        const std::string file = row.appended ? packmaker::appended("MZ", pak, true) : pak;
        const wfpak::MemorySource source(file.data(), file.size());
        wfpak::Pack pack;
        const bool opened = pack.open(source, keyFor(true), row.appended ? wfpak::Pack::Find::Trailer : wfpak::Pack::Find::Auto);
        if (!CHECK(opened == row.opens && pack.error() == row.error))
            std::fprintf(stderr, "  %s: %s\n", row.what, pack.errorText().c_str());
        if (opened)
            readsBack(pack, members);
    }
}

// Counts the bytes read through it.
class CountingSource final : public wfpak::Source {
public:
    explicit CountingSource(const std::string &bytes) : m_bytes(bytes) {}
    std::uint64_t size() const override { return m_bytes.size(); }
    bool readAt(std::uint64_t offset, void *buffer, std::size_t len) const override
    {
        m_read += len;
        return offset <= m_bytes.size() && len <= m_bytes.size() - offset
               && (std::memcpy(buffer, m_bytes.data() + offset, len), true);
    }
    std::uint64_t read() const { return m_read; }

private:
    const std::string &m_bytes;
    mutable std::atomic<std::uint64_t> m_read{0};
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
    CHECK(source.read() <= 2 * file.size() + 65536);
}

TEST_CASE(cInterface)
{
    const std::vector<Member> members{{"Intro.txt", "Hello"}, {"gfx\\title.bmp", "BM0123456789"}, {"empty", ""}};
    const std::string pak = packmaker::pack(members, true);
    wfpak_pack *p = nullptr;
    CHECK(wfpak_open_memory(&p, pak.data(), pak.size(), "11224488", "80000001") == WFPAK_OK);
    CHECK(wfpak_count(p) == 3 && std::string(wfpak_name(p, 1)) == "gfx\\title.bmp" && wfpak_size(p, 1) == 12);
    CHECK(wfpak_name(p, 3) == nullptr && wfpak_size(p, 3) == 0);
    CHECK(wfpak_find(p, "GFX/Title.BMP") == 1 && wfpak_find(p, "intro.txt") == 0 && wfpak_find(p, "intro") == -1);
    char buffer[16] = {};
    CHECK(wfpak_read(p, 1, 10, buffer, 16) == 2 && std::string(buffer, 2) == "89"); // short only at the end
    CHECK(wfpak_read(p, 1, 12, buffer, 16) == 0);                                     // from == size
    CHECK(wfpak_read(p, 1, 13, buffer, 16) == -1);                                    // from past the size
    CHECK(wfpak_read(p, 3, 0, buffer, 16) == -1);                                     // index past the count
    CHECK(wfpak_read(p, 2, 0, buffer, 16) == 0);
    CHECK(wfpak_read(p, 0, 1, buffer, 3) == 3 && std::string(buffer, 3) == "ell");
    wfpak_close(p);
    // Failures: *pack set, a code and a message, closed as usual.
    CHECK(wfpak_open_memory(&p, pak.data(), pak.size(), nullptr, nullptr) == WFPAK_EHEADER);
    CHECK(p && std::string(wfpak_errmsg(p)).find("Header Mask") != std::string::npos && wfpak_count(p) == 0);
    CHECK(wfpak_read(p, 0, 0, buffer, 1) == -1 && wfpak_find(p, "Intro.txt") == -1);
    wfpak_close(p);
    CHECK(wfpak_open_memory(&p, pak.data(), 5, nullptr, nullptr) == WFPAK_ETOOSHORT);
    wfpak_close(p);
    CHECK(wfpak_open_file(&p, "no such file here.pak", nullptr, nullptr) == WFPAK_EIO && p && *wfpak_errmsg(p));
    wfpak_close(p);
    CHECK(std::string(wfpak_version()).find('.') != std::string::npos);
}

// A game built by mingw (or cc) reading the pack appended to itself.
TEST_CASE(executableReadsItself)
{
    const std::string self = testfiles::selfPath();
    const std::size_t slash = self.find_last_of("/\\");
#if defined(_WIN32)
    const std::string game = self.substr(0, slash + 1) + "wfpak_selfread.exe";
#else
    const std::string game = self.substr(0, slash + 1) + "wfpak_selfread";
#endif
    testfiles::ScratchDir dir;
    const std::string exe = testfiles::readFile(game);
    if (!CHECK(!exe.empty()))
        return;
    const std::string pak = packmaker::pack({{"readme", "r"}, {"levels\\one.txt", "level one"}}, true);
    const std::string copy = dir.file("café/Game.exe");
    CHECK(testfiles::writeFile(copy, packmaker::appended(exe, pak, true)));
#if !defined(_WIN32)
    testfiles::fs::permissions(testfiles::fromUtf8(copy), testfiles::fs::perms::owner_all);
#endif
    CHECK(testfiles::run(copy) == 0);
    std::fprintf(stderr, "  (next: the game without a pack of its own says so)\n");
    std::fflush(stderr);
    CHECK(testfiles::run(game) == 3);
}

} // namespace

int main(int argc, char **argv)
{
    return check::runAll(argc, argv);
}
