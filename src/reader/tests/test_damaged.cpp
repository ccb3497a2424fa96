// Damaged packs and packs in odd places: each refusal with its error and
// message, the layout of appended packs, reads refused after a good open.
#include "Check.h"
#include "PackMaker.h"
#include "ReadsBack.h"
#include "TestFiles.h"
#include <cstdlib>

namespace {

using packmaker::Member;
using readsback::keyFor;
using readsback::readsBack;

// The worked example: header, 3 filler bytes, intro.txt (5 bytes),
// gfx\title.bmp (12 bytes), count, index, 2 filler bytes; 64 bytes in all.
// `index` and `count` can be replaced to damage it.
const std::string kIndex = "intro.txt\r7\r5\rgfx\\title.bmp\r12\r12\r";
std::string example(const std::string &index = kIndex, std::uint32_t count = 2)
{
    return packmaker::word(25) + std::string("\0\x7f\xfe", 3) + "Hello" + "BM0123456789" + packmaker::word(count) + index
           + std::string("\0\xfd", 2);
}

std::string trailer(std::uint32_t word)
{
    return packmaker::word(word) + "QUILDX";
}

// With WRENFOLD_SEED_DIR set, the files these tests read become the fuzzer's
// starting corpus (`make fuzz`): the byte fuzz/fuzz_reader.cpp reads first
// (masked: the packs' key; appended: a backward search), then the file.
void keepAsSeed(const std::string &file, bool masked, bool appended)
{
    static int serial = 0;
    const char *dir = std::getenv("WRENFOLD_SEED_DIR");
    if (dir && *dir && file.size() <= 16000)
        CHECK(testfiles::writeFile(std::string(dir) + "/seed-" + std::to_string(++serial),
                                   char((masked ? 1 : 0) | (appended ? 0x40 : 0)) + file));
}

// Every way a pack can be damaged or read with the wrong key: refused, with
// the error and a message that says where.
TEST_CASE(badInput)
{
    const std::string ok = example(), masked = packmaker::pack({{"intro.txt", "Hello"}, {"gfx\\title.bmp", "BM0123456789"}}, true);
    const std::string exe = "\x7f" "ELF, a stand-in executable" + std::string(100, '\xff');
    const std::uint32_t e = std::uint32_t(exe.size());
    using E = wfpak::Error;
    const struct {
        std::string file;
        const char *key, *mask; // texts; null for a plain pack
        E error;
        const char *says;
    } rows[] = {
        {"", nullptr, nullptr, E::TooShort, "even an empty pack has 8"},
        {ok.substr(0, 7), nullptr, nullptr, E::TooShort, "has 7 bytes"},
        {ok.substr(0, 26), nullptr, nullptr, E::HeaderOutside, "outside the pack's 26 bytes"},
        {ok.substr(0, 50), nullptr, nullptr, E::IndexCutShort, "entry 2 of 2 is complete: its name has no CR"},
        {ok.substr(0, 61), nullptr, nullptr, E::IndexCutShort, "its size has no CR"},
        {example(kIndex.substr(0, kIndex.size() - 1)), nullptr, nullptr, E::BadNumber,
         "entry 2 of 2 (\"gfx\\title.bmp\"): its size holds the byte 0"},
        {packmaker::word(0) + ok.substr(4), nullptr, nullptr, E::HeaderOutside, "position 0"},
        {packmaker::word(62) + ok.substr(4), nullptr, nullptr, E::HeaderOutside, "position 62"},
        {masked, "11224488", "0", E::HeaderOutside, "wrong Header Mask"},
        {masked, "0", "80000001", E::IndexCutShort, "Basic Key is wrong"},
        {masked, "112244C8", "80000001", E::BadNumber, "its size holds the byte 117"},
        {example(kIndex, 10001), nullptr, nullptr, E::BadCount, "10001 files, more than a pack holds"},
        {example(kIndex, 0xFFFFFFFF), nullptr, nullptr, E::BadCount, "negative"},
        {example(kIndex, 9), nullptr, nullptr, E::BadCount, "cannot hold their index"},
        {example(kIndex, 3), nullptr, nullptr, E::IndexCutShort, "entry 3 of 3"},
        {example("intro.txt\r7\r5\rgfx\\title.bmp\r20\r12\r"), nullptr, nullptr, E::EntryOutside, "offset 20, size 12"},
        {example("intro.txt\r2\r5\rgfx\\title.bmp\r12\r12\r"), nullptr, nullptr, E::EntryOutside, "offsets 4 to 24"},
        {example("intro.txt\r7\r5\rgfx\\title.bmp\r12\r13\r"), nullptr, nullptr, E::EntryOutside, "offset 12, size 13"},
        {example("intro.txt\r7\r4294967296\r"), nullptr, nullptr, E::BadNumber, "exceeds 2147483647"},
        {example("intro.txt\r2147483647\r2147483647\r"), nullptr, nullptr, E::EntryOutside, "outside"},
        {example("intro.txt\r07\r5\r"), nullptr, nullptr, E::BadNumber, "its offset has a leading zero"},
        {example("intro.txt\r7\r+5\r"), nullptr, nullptr, E::BadNumber, "no digit"},
        {example("intro.txt\r\r5\r"), nullptr, nullptr, E::BadNumber, "its offset is empty"},
        {exe + ok + trailer(0), nullptr, nullptr, E::TrailerOutside, "before the file's first byte"},
        {exe + ok + trailer(0xFFFFFFFB), nullptr, nullptr, E::TrailerOutside, "before the file's first byte"},
        {exe + ok + trailer(0x7FFFFFF0), nullptr, nullptr, E::TrailerOutside, "at or past the trailer"},
        {exe + ok + trailer(e + 58), nullptr, nullptr, E::TrailerOutside, "too close"}, // 7 bytes before it
        {exe + ok + trailer(e + 57), nullptr, nullptr, E::HeaderOutside, "outside the pack's 8 bytes"},
        {exe + ok + trailer(1), nullptr, nullptr, E::HeaderOutside, "nor does the whole file"},
        {exe + ok.substr(0, 40) + trailer(e + 1), nullptr, nullptr, E::IndexCutShort,
         "entry 1 of 2 is complete: its size has no CR"},
    };
    for (const auto &row : rows) {
        keepAsSeed(row.file, row.key != nullptr, row.file.find("QUILDX") != std::string::npos);
        const wfpak::MemorySource source(row.file.data(), row.file.size());
        wfpak::Pack pack;
        const bool opened = pack.open(source, row.key ? wfpak::Key::fromTexts(row.key, row.mask) : wfpak::Key());
        if (!CHECK(!opened && !pack.isOpen() && pack.entries().empty() && pack.error() == row.error
                   && pack.errorText().find(row.says) != std::string::npos))
            std::fprintf(stderr, "  wanted \"%s\", got: %s\n", row.says, pack.errorText().c_str());
    }
}

// Where a pack lies in a file, stand-alone or after an executable (also
// over its last byte, and after an older pack), as the layout reports it.
TEST_CASE(layouts)
{
    const std::vector<Member> members = packmaker::sample(9, 9000);
    const std::string exe = "MZ stand-in" + std::string(300, '\xff');
    for (bool masked : {false, true}) {
        const std::uint32_t mask = masked ? packmaker::kMask : 0;
        const std::string pak = packmaker::pack(members, masked, 17, 4);
        const std::string older = packmaker::appended(exe, packmaker::pack({{"old", "stale"}}, masked), masked);
        const struct {
            std::string file;
            std::uint64_t start;
        } rows[] = {
            {pak, 0},
            {packmaker::appended(exe, pak, masked), exe.size()},
            {exe.substr(0, exe.size() - 1) + pak + trailer(std::uint32_t(exe.size()) + mask), exe.size() - 1},
            {packmaker::appended(older, pak, masked), older.size()},
        };
        for (const auto &row : rows) {
            keepAsSeed(row.file, masked, row.start > 0);
            const wfpak::MemorySource source(row.file.data(), row.file.size());
            wfpak::Pack pack;
            CHECK(pack.open(source, keyFor(masked)));
            const wfpak::Layout &l = pack.layout();
            CHECK(l.appended == (row.start > 0) && l.packStart == row.start && l.packSize() == pak.size());
            CHECK(l.bytesAfter() == 0 && pack.leadingFiller() == 17 && l.trailingFiller() == 4);
            CHECK(l.count == members.size() && l.headerWord == (l.countPosition ^ mask));
            readsBack(pack, members);
        }
    }
    // The worked example's numbers, and a stand-alone pack may end in
    // "QUILDX" (its fillers are below 254): only a trailer search is misled.
    const std::string ending = example() + packmaker::word(5) + "QUILDX";
    const wfpak::MemorySource source(ending.data(), ending.size());
    wfpak::Pack pack;
    CHECK(pack.open(source) && !pack.layout().appended && pack.layout().countPosition == 25);
    CHECK(pack.layout().indexEnd == 62 && pack.layout().trailingFiller() == 12 && pack.leadingFiller() == 3);
    readsBack(pack, {{"intro.txt", "Hello"}, {"gfx\\title.bmp", "BM0123456789"}});
    CHECK(!pack.open(source, {}, wfpak::Pack::Find::Trailer) && pack.error() == wfpak::Error::HeaderOutside);
    const std::string plain = example();
    const wfpak::MemorySource plainSource(plain.data(), plain.size());
    CHECK(!pack.open(plainSource, {}, wfpak::Pack::Find::Trailer) && pack.error() == wfpak::Error::NoTrailer);

    // Bytes after the trailer (a signature) hide it from the last ten bytes;
    // a search backwards still finds the newest pack.
    const std::string signature = "SIGNATURE" + std::string(70000, 'S') + "QUILDX";
    const std::string newest = packmaker::pack({{"intro.txt", "Hello"}, {"gfx\\title.bmp", "BM0123456789"}}, true);
    const std::string twice = packmaker::appended(packmaker::appended(exe, packmaker::pack({{"old", "x"}}, true), true), newest, true);
    const std::string file = twice + signature;
    const wfpak::MemorySource signedSource(file.data(), file.size());
    CHECK(!pack.open(signedSource, keyFor(true)));
    CHECK(pack.openLastTrailer(signedSource, keyFor(true)) && pack.layout().bytesAfter() == signature.size());
    CHECK(pack.layout().packStart == twice.size() - 10 - newest.size());
    readsBack(pack, {{"intro.txt", "Hello"}, {"gfx\\title.bmp", "BM0123456789"}});
    CHECK(!pack.openLastTrailer(signedSource) && pack.error() == wfpak::Error::NoTrailer);
}

// A read reports its failure itself; the Pack keeps the open's outcome.
TEST_CASE(readsRefused)
{
    const std::string file = example();
    const wfpak::MemorySource source(file.data(), file.size());
    wfpak::Pack pack;
    CHECK(pack.open(source));
    const wfpak::Entry intro = pack.entries()[0];
    char buffer[8];
    wfpak::ReadError why;
    CHECK(!pack.read(intro, buffer, 4, &why) && why.error == wfpak::Error::OutOfRange);
    CHECK(!pack.readRange(intro, 3, buffer, 3) && pack.readRange(intro, 3, buffer, 2));
    CHECK(!pack.readRange(intro, ~std::uint64_t(0), buffer, 2, &why) && why.error == wfpak::Error::OutOfRange); // wraps
    CHECK(!pack.readRange({"made up", 20, 8}, 0, buffer, 8, &why) && why.error == wfpak::Error::EntryOutside);
    CHECK(pack.readRange({"made up", 20, 4}, 0, buffer, 4)); // up to the count word
    CHECK(!pack.stream(intro, [](const unsigned char *, std::size_t) { return false; }, 4, &why)
          && why.error == wfpak::Error::Stopped);
    CHECK(!pack.readRaw(60, buffer, 5, &why) && why.error == wfpak::Error::OutOfRange);
    CHECK(pack.readRaw(62, buffer, 2) && buffer[1] == '\xfd');
    CHECK(pack.error() == wfpak::Error::None && pack.errorText().empty() && !pack.find("intro.tx"));
    wfpak::Pack closed;
    CHECK(!closed.read(intro, buffer, 8, &why) && !why.text.empty());
    // A name given twice: the first in index order.
    const std::string twice = example("a\r7\r5\rA\r12\r12\r");
    const wfpak::MemorySource twiceSource(twice.data(), twice.size());
    CHECK(pack.open(twiceSource) && pack.find("a") == &pack.entries()[0]);
}

} // namespace
