// Damaged packs and packs in odd places: refusals with their error, message
// and C code, the layout of appended packs, reads refused after a good open.
#include "Check.h"
#include "PackMaker.h"
#include "TestFiles.h"
#include <wfpak/wfpak.h>
#include <cstdlib>

namespace {

using packmaker::keyFor;
using packmaker::Member;
using packmaker::readsBack;
using packmaker::word;
using E = wfpak::Error;

// The worked example: header, 3 filler bytes, intro.txt (5 bytes),
// gfx\title.bmp (12 bytes), count, index, 2 filler bytes; 64 bytes in all.
// `index` and `count` can be replaced to damage it.
const std::string kIndex = "intro.txt\r7\r5\rgfx\\title.bmp\r12\r12\r";
const std::vector<Member> kMembers{{"intro.txt", "Hello"}, {"gfx\\title.bmp", "BM0123456789"}};
std::string example(const std::string &index = kIndex, std::uint32_t count = 2)
{
    return word(25) + std::string("\0\x7f\xfe", 3) + "Hello" + "BM0123456789" + word(count) + index + std::string("\0\xfd", 2);
}

// With WRENFOLD_SEED_DIR set, these files become `make fuzz`'s corpus: the
// byte fuzz_reader.cpp reads first (masked; backward search), then the file.
void keepAsSeed(const std::string &file, bool masked, bool appended)
{
    static int serial = 0;
    if (const char *dir = std::getenv("WRENFOLD_SEED_DIR"); dir && *dir && file.size() <= 16000)
        CHECK(testfiles::writeFile(std::string(dir) + "/seed-" + std::to_string(++serial), char(masked | appended << 6) + file));
}

// Every way a pack can be damaged or read with the wrong key: refused, with
// the error, a message that says where, and the C interface's code.
TEST_CASE(badInput)
{
    const std::string ok = example(), masked = packmaker::pack(kMembers, true);
    const std::string exe = "\x7f" "ELF, a stand-in executable" + std::string(100, '\xff');
    const std::uint32_t e = std::uint32_t(exe.size());
    const struct { std::string file; E error; int code; const char *says, *key = nullptr, *mask = nullptr; } rows[] = {
        {ok.substr(0, 7), E::TooShort, WFPAK_ETOOSHORT, "has 7 bytes"},
        {ok.substr(0, 26), E::HeaderOutside, WFPAK_EHEADER, "outside the pack's 26 bytes"},
        {ok.substr(0, 50), E::IndexCutShort, WFPAK_EINDEX, "entry 2 of 2 is complete: its name has no CR"},
        {example(kIndex.substr(0, kIndex.size() - 1)), E::BadNumber, WFPAK_EINDEX,
         "entry 2 of 2 (\"gfx\\title.bmp\"): its size holds the byte 0"},
        {word(0) + ok.substr(4), E::HeaderOutside, WFPAK_EHEADER, "position 0"},
        {word(4) + ok.substr(4), E::HeaderOutside, WFPAK_EHEADER, "position 4,"},
        {word(62) + ok.substr(4), E::HeaderOutside, WFPAK_EHEADER, "position 62"},
        {masked, E::HeaderOutside, WFPAK_EHEADER, "wrong Header Mask", "11224488", "0"},
        {masked, E::IndexCutShort, WFPAK_EINDEX, "Basic Key is wrong", "0", "80000001"},
        {masked, E::BadNumber, WFPAK_EINDEX, "its size holds the byte 117", "112244C8", "80000001"},
        {example(kIndex, 10001), E::BadCount, WFPAK_ECOUNT, "10001 files, more than a pack holds"},
        {example(kIndex, 0xFFFFFFFF), E::BadCount, WFPAK_ECOUNT, "negative"},
        {example(kIndex, 8), E::BadCount, WFPAK_ECOUNT, "the 36 bytes after it cannot hold"},
        {example(kIndex, 7), E::IndexCutShort, WFPAK_EINDEX, "entry 3 of 7"},
        {example("intro.txt\r7\r5\rgfx\\title.bmp\r20\r12\r"), E::EntryOutside, WFPAK_EENTRY, "offset 20, size 12"},
        {example("intro.txt\r3\r5\r"), E::EntryOutside, WFPAK_EENTRY, "offset 3, size 5, lies outside"},
        {example("intro.txt\r7\r5\rgfx\\title.bmp\r12\r13\r"), E::EntryOutside, WFPAK_EENTRY,
         "offset 12, size 13, lies outside the pack's data (offsets 4 to 24)"},
        {example("intro.txt\r7\r4294967296\r"), E::BadNumber, WFPAK_EINDEX, "exceeds 2147483647"},
        {example("intro.txt\r7\r2147483648\r"), E::BadNumber, WFPAK_EINDEX, "exceeds 2147483647"},
        {example("intro.txt\r2147483647\r2147483647\r"), E::EntryOutside, WFPAK_EENTRY, "outside"},
        {example("intro.txt\r07\r5\r"), E::BadNumber, WFPAK_EINDEX, "its offset has a leading zero"},
        {example("intro.txt\r7\r+5\r"), E::BadNumber, WFPAK_EINDEX, "no digit"},
        {example("intro.txt\r\r5\r"), E::BadNumber, WFPAK_EINDEX, "its offset is empty"},
        {exe + ok + word(0) + "QUILDX", E::TrailerOutside, WFPAK_ETRAILER, "before the file's first byte"},
        {exe + ok + word(0xFFFFFFFB) + "QUILDX", E::TrailerOutside, WFPAK_ETRAILER, "before the file's first byte"},
        {exe + ok + word(0x7FFFFFF0) + "QUILDX", E::TrailerOutside, WFPAK_ETRAILER, "at or past the trailer"},
        {exe + ok + word(e + 58) + "QUILDX", E::TrailerOutside, WFPAK_ETRAILER, "too close"}, // 7 bytes before it
        {exe + ok + word(e + 57) + "QUILDX", E::HeaderOutside, WFPAK_EHEADER, "outside the pack's 8 bytes"},
        {exe + ok + word(1) + "QUILDX", E::HeaderOutside, WFPAK_EHEADER, "nor does the whole file"},
        {exe + ok.substr(0, 40) + word(e + 1) + "QUILDX", E::IndexCutShort, WFPAK_EINDEX, "entry 1 of 2 is complete: its size"},
    };
    for (const auto &row : rows) {
        keepAsSeed(row.file, row.key != nullptr, row.file.find("QUILDX") != std::string::npos);
        const wfpak::MemorySource source(row.file.data(), row.file.size());
        wfpak::Pack pack;
        const bool opened = pack.open(source, row.key ? wfpak::Key::fromTexts(row.key, row.mask) : wfpak::Key());
        if (!CHECK(!opened && !pack.isOpen() && pack.entries().empty() && pack.error() == row.error
                   && pack.errorText().find(row.says) != std::string::npos))
            std::fprintf(stderr, "  wanted \"%s\", got: %s\n", row.says, pack.errorText().c_str());
        wfpak_pack *c = nullptr;
        CHECK(wfpak_open_memory(&c, row.file.data(), row.file.size(), row.key, row.mask) == row.code
              && wfpak_errmsg(c) == pack.errorText() && wfpak_count(c) == 0);
        wfpak_close(c);
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
        const std::pair<std::string, std::uint64_t> rows[] = {
            {pak, 0},
            {packmaker::appended(exe, pak, masked), exe.size()},
            {exe.substr(0, exe.size() - 1) + pak + word(std::uint32_t(exe.size()) + mask) + "QUILDX", exe.size() - 1},
            {packmaker::appended(older, pak, masked), older.size()},
        };
        for (const auto &[file, start] : rows) {
            keepAsSeed(file, masked, start > 0);
            const wfpak::MemorySource source(file.data(), file.size());
            wfpak::Pack pack;
            const wfpak::Layout &l = pack.layout();
            CHECK(pack.open(source, keyFor(masked)) && l.appended == (start > 0) && l.packStart == start);
            CHECK(l.packSize() == pak.size() && l.bytesAfter() == 0 && pack.leadingFiller() == 17 && l.trailingFiller() == 4);
            CHECK(l.count == members.size() && l.headerWord == (l.countPosition ^ mask));
            readsBack(pack, members);
        }
    }
    // The worked example's numbers, and a stand-alone pack may end in
    // "QUILDX" (its fillers are below 254): only a trailer search is misled.
    const std::string ending = example() + word(5) + "QUILDX", plain = example();
    const wfpak::MemorySource source(ending.data(), ending.size()), plainSource(plain.data(), plain.size());
    wfpak::Pack pack;
    const wfpak::Layout &l = pack.layout();
    CHECK(pack.open(source) && !l.appended && l.countPosition == 25 && l.indexEnd == 62 && l.trailingFiller() == 12);
    readsBack(pack, kMembers);
    CHECK(!pack.open(source, {}, wfpak::Pack::Find::Trailer) && pack.error() == E::HeaderOutside);
    CHECK(!pack.open(plainSource, {}, wfpak::Pack::Find::Trailer) && pack.error() == E::NoTrailer);

    // Bytes after the trailer (a signature) hide it from the last ten bytes;
    // a search backwards still finds the newest pack, also when its marker
    // straddles two of the search's 64 KiB windows (tails of 65531-65535).
    const std::string newest = packmaker::pack(kMembers, true);
    const std::string twice = packmaker::appended(packmaker::appended(exe, packmaker::pack({{"old", "x"}}, true), true), newest, true);
    for (std::size_t tail : {0, 65531, 65533, 65535, 70000}) {
        const std::string file = twice + (tail ? "SIGNATURE" + std::string(tail - 15, 'S') + "QUILDX" : "");
        const wfpak::MemorySource signedSource(file.data(), file.size());
        CHECK(tail == 0 || !pack.open(signedSource, keyFor(true)));
        CHECK(pack.openLastTrailer(signedSource, keyFor(true)) && l.bytesAfter() == tail);
        CHECK(l.packStart == twice.size() - 10 - newest.size());
        readsBack(pack, kMembers);
        CHECK(!pack.openLastTrailer(signedSource) && pack.error() == E::NoTrailer);
    }
}

// A read reports its failure itself; the Pack keeps the open's outcome.
TEST_CASE(readsRefused)
{
    const std::string file = example(), twice = example("a\r7\r5\rA\r12\r12\r");
    const wfpak::MemorySource source(file.data(), file.size()), twiceSource(twice.data(), twice.size());
    wfpak::Pack pack, closed;
    CHECK(pack.open(source));
    const wfpak::Entry intro = pack.entries()[0];
    char buffer[8];
    wfpak::ReadError why;
    CHECK(!pack.read(intro, buffer, 4, &why) && why.error == E::OutOfRange);
    CHECK(!pack.readRange(intro, 3, buffer, 3) && pack.readRange(intro, 3, buffer, 2));
    CHECK(!pack.readRange(intro, ~std::uint64_t(0), buffer, 2, &why) && why.error == E::OutOfRange); // wraps
    CHECK(!pack.readRange({"made up", 20, 8}, 0, buffer, 8, &why) && why.error == E::EntryOutside);
    CHECK(pack.readRange({"made up", 20, 4}, 0, buffer, 4)); // up to the count word
    CHECK(!pack.stream(intro, [](const unsigned char *, std::size_t) { return false; }, 4, &why) && why.error == E::Stopped);
    CHECK(!pack.readRaw(60, buffer, 5, &why) && why.error == E::OutOfRange && pack.readRaw(62, buffer, 2) && buffer[1] == '\xfd');
    CHECK(pack.error() == E::None && pack.errorText().empty() && !pack.find("intro.tx"));
    CHECK(!closed.read(intro, buffer, 8, &why) && !why.text.empty());
    // A name given twice: the first in index order.
    CHECK(pack.open(twiceSource) && pack.find("a") == &pack.entries()[0]);
}

} // namespace
