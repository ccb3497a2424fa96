// wfpak_physfs_mount against the real PhysicsFS: the pack's folders as
// directories, files that read and seek independently, refused mounts.
// Usage: tst_wfpak_physfs WRENFOLD_PAK SCRATCH_DIR
#include "PackFixture.h"
#include <wfpak/wfpak_physfs.h>
#include <physfs.h>
#include <algorithm>
#include <cstring>
#include <iostream>
#include <set>
#include <thread>

using namespace fixture;

namespace {

const std::string kKeyText = std::string("$") + kKey;
const std::string kMaskText = std::string("$") + kMask;

std::set<std::string> listing(const std::string &dir)
{
    std::set<std::string> names;
    char **list = PHYSFS_enumerateFiles(dir.c_str());
    for (char **i = list; i && *i; ++i)
        names.insert(*i);
    PHYSFS_freeList(list);
    return names;
}

Bytes readWhole(const std::string &name)
{
    PHYSFS_File *f = PHYSFS_openRead(name.c_str());
    if (!f)
        return Bytes{'?'};
    Bytes b(std::size_t(std::max<PHYSFS_sint64>(PHYSFS_fileLength(f), 0)));
    const PHYSFS_sint64 n = PHYSFS_readBytes(f, b.data(), b.size());
    const bool atEnd = PHYSFS_eof(f) != 0;
    PHYSFS_close(f);
    return n == PHYSFS_sint64(b.size()) && atEnd ? b : Bytes{'?'};
}

// Reads `want` from scattered places: seek, read a little, compare.
bool readsBySeeks(PHYSFS_File *f, const Bytes &want, std::uint32_t seed)
{
    unsigned char buf[61];
    for (int i = 0; i < 200; ++i) {
        seed = seed * 2654435761u + 12345u;
        const std::size_t at = want.empty() ? 0 : seed % want.size();
        const std::size_t n = std::min(sizeof buf, want.size() - at);
        if (!PHYSFS_seek(f, at) || PHYSFS_tell(f) != PHYSFS_sint64(at) || PHYSFS_readBytes(f, buf, n) != PHYSFS_sint64(n)
            || (n != 0 && std::memcmp(buf, want.data() + at, n) != 0))
            return false;
    }
    return true;
}

// Everything a game sees of a mounted project, under `root` ("" or "data/").
void browses(const fs::path &project, const std::string &root)
{
    CHECK(listing(root.empty() ? "/" : root) == (std::set<std::string>{"big.bin", "empty.txt", "gfx", "maps", "readme.txt", "sfx"}));
    CHECK(listing(root + "maps/deep") == std::set<std::string>{"secret"});
    CHECK(listing(root + "sfx") == (std::set<std::string>{"jump.wav", "ch\xC5\x93ur.wav"}));
    CHECK(PHYSFS_isDirectory((root + "maps/deep/secret").c_str()));
    CHECK(!PHYSFS_isDirectory((root + "maps/level1.map").c_str()));
    CHECK(!PHYSFS_exists((root + "MAPS/level1.map").c_str())); // exact, as PhysicsFS's archives are
    CHECK(!PHYSFS_exists((root + "maps/level1.map/x").c_str()));
    for (const auto &[name, bytes] : projectFiles()) {
        PHYSFS_Stat st;
        const std::string path = root + name;
        CHECK(PHYSFS_stat(path.c_str(), &st) && st.filetype == PHYSFS_FILETYPE_REGULAR
              && st.filesize == PHYSFS_sint64(bytes.size()) && st.readonly);
        if (!CHECK(readWhole(path) == readFile(project / name)))
            std::cerr << "  " << path << "\n";
        PHYSFS_File *f = PHYSFS_openRead(path.c_str());
        CHECK(f && readsBySeeks(f, bytes, 11));
        CHECK(f && PHYSFS_seek(f, bytes.size()) && !PHYSFS_seek(f, bytes.size() + 1));
        PHYSFS_close(f);
    }
    PHYSFS_Stat st;
    CHECK(PHYSFS_stat((root + "gfx").c_str(), &st) && st.filetype == PHYSFS_FILETYPE_DIRECTORY);
    CHECK(!PHYSFS_openRead((root + "gfx").c_str()));
    CHECK(!PHYSFS_openRead((root + "gfx/none.bmp").c_str()));
}

// Open files keep their own positions: two of one file and one of another
// read by turns, then four threads each read their own.
void independent(const std::string &root, const Bytes &big)
{
    PHYSFS_File *a = PHYSFS_openRead((root + "big.bin").c_str());
    PHYSFS_File *b = PHYSFS_openRead((root + "big.bin").c_str());
    PHYSFS_File *c = PHYSFS_openRead((root + "readme.txt").c_str());
    Bytes ra, rb, rc;
    unsigned char buf[1009];
    for (bool more = true; more;) {
        const PHYSFS_sint64 na = PHYSFS_readBytes(a, buf, 1009);
        ra.insert(ra.end(), buf, buf + std::max<PHYSFS_sint64>(na, 0));
        const PHYSFS_sint64 nb = PHYSFS_readBytes(b, buf, 17);
        rb.insert(rb.end(), buf, buf + std::max<PHYSFS_sint64>(nb, 0));
        const PHYSFS_sint64 nc = PHYSFS_readBytes(c, buf, 5);
        rc.insert(rc.end(), buf, buf + std::max<PHYSFS_sint64>(nc, 0));
        more = na > 0 || nb > 0 || nc > 0;
    }
    CHECK(ra == big && rb == big && PHYSFS_fileLength(c) == PHYSFS_sint64(rc.size()));
    PHYSFS_close(a);
    PHYSFS_close(b);
    PHYSFS_close(c);

    bool ok[4] = {};
    std::vector<std::thread> pool;
    for (int t = 0; t < 4; ++t) {
        pool.emplace_back([&, t] {
            PHYSFS_File *f = PHYSFS_openRead((root + "big.bin").c_str());
            ok[t] = f && PHYSFS_fileLength(f) == PHYSFS_sint64(big.size()) && readsBySeeks(f, big, std::uint32_t(t));
            PHYSFS_close(f);
        });
    }
    for (auto &th : pool)
        th.join();
    for (bool good : ok)
        CHECK(good);
}

void refused(const fs::path &path, const char *key, const char *mask, PHYSFS_ErrorCode want)
{
    PHYSFS_getLastErrorCode();
    CHECK(!wfpak_physfs_mount(path.string().c_str(), key, mask, "/", 1));
    const PHYSFS_ErrorCode got = PHYSFS_getLastErrorCode();
    if (!CHECK_EQ(got, want))
        std::cerr << "  " << path << ": " << PHYSFS_getErrorByCode(got) << "\n";
    CHECK(PHYSFS_getMountPoint(path.string().c_str()) == nullptr);
}

// A Quake PAK of one file: "PACK", the directory's offset and length, the
// data, then 64-byte entries (56-byte name, offset, size).
Bytes quakePak(const std::string &name, const Bytes &data)
{
    Bytes b{'P', 'A', 'C', 'K'};
    const auto put32 = [&b](std::uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> 8 * i)); };
    put32(12 + std::uint32_t(data.size()));
    put32(64);
    b.insert(b.end(), data.begin(), data.end());
    Bytes entryName(56, 0);
    std::copy(name.begin(), name.end(), entryName.begin());
    b.insert(b.end(), entryName.begin(), entryName.end());
    put32(12);
    put32(std::uint32_t(data.size()));
    return b;
}

// Names the tool never writes, from a pack made here.
void oddNames(const fs::path &scratch)
{
    const auto b = [](const char *s) { return Bytes(s, s + std::strlen(s)); };
    const fs::path pak = scratch / "odd.pak";
    writeFile(pak, plainPack({{"a\\b.txt", b("first")}, {"A\\B.TXT", b("case")}, {"a\\b.txt", b("second")},
                              {"\\lead.txt", b("lead")}, {"x\\\\y.txt", b("double")}, {"c:\\evil.txt", b("colon")},
                              {"..\\up.txt", b("up")}, {"d\\.\\e.txt", b("dot")}, {"a\\b.txt\\in.txt", b("through")},
                              {"h\\i.txt", b("hi")}, {"h", b("h file")}, {"", b("empty")},
                              {"caf\xE9 \x80.txt", b("cp1252")}, {"ch\xC5\x93ur.txt", b("utf8")}, {"x/z.txt", b("slash")},
                              {"\xC0\xAF.txt", b("overlong")}}));
    CHECK(wfpak_physfs_mount(pak.string().c_str(), nullptr, nullptr, "/", 1));
    CHECK(listing("/") == (std::set<std::string>{"a", "A", "lead.txt", "x", "h", "caf\xC3\xA9 \xE2\x82\xAC.txt",
                                                "ch\xC5\x93ur.txt", "\xC3\x80\xC2\xAF.txt"}));
    CHECK(listing("a") == std::set<std::string>{"b.txt"});
    CHECK(listing("x") == (std::set<std::string>{"y.txt", "z.txt"}));
    CHECK(readWhole("a/b.txt") == b("first"));
    CHECK(readWhole("A/B.TXT") == b("case"));
    CHECK(readWhole("caf\xC3\xA9 \xE2\x82\xAC.txt") == b("cp1252"));
    CHECK(PHYSFS_isDirectory("h") && readWhole("h/i.txt") == b("hi"));
    CHECK(!PHYSFS_exists("a/b.txt/in.txt"));
    // The enumeration stops where the callback says.
    struct Count { int calls; PHYSFS_EnumerateCallbackResult answer; };
    const PHYSFS_EnumerateCallback counted = [](void *data, const char *, const char *) {
        auto *c = static_cast<Count *>(data);
        ++c->calls;
        return c->answer;
    };
    Count stop{0, PHYSFS_ENUM_STOP}, error{0, PHYSFS_ENUM_ERROR}, all{0, PHYSFS_ENUM_OK};
    CHECK(PHYSFS_enumerate("a", counted, &all) && all.calls == 1); // the second a\b.txt is not there
    CHECK(PHYSFS_enumerate("/", counted, &stop) && stop.calls == 1);
    CHECK(!PHYSFS_enumerate("x", counted, &error) && error.calls == 1);
    CHECK_EQ(PHYSFS_getLastErrorCode(), PHYSFS_ERR_APP_CALLBACK);
    CHECK(PHYSFS_unmount(pak.string().c_str()));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage: tst_wfpak_physfs WRENFOLD_PAK SCRATCH_DIR\n";
        return 2;
    }
    const fs::path scratch = argv[2];
    Packs packs;
    if (!buildPacks(argv[1], scratch, argv[0], packs))
        return 1;
    const Bytes big = readFile(packs.plainDir / "big.bin");
    const std::string plain = packs.plainPak().string(), exe = packs.maskedExe().string();

    CHECK(!wfpak_physfs_mount(plain.c_str(), nullptr, nullptr, "/", 1)); // before PHYSFS_init
    if (!CHECK(PHYSFS_init(argv[0])))
        return 1;

    CHECK(wfpak_physfs_mount(plain.c_str(), nullptr, nullptr, nullptr, 1));
    CHECK_EQ(PHYSFS_getLastErrorCode(), PHYSFS_ERR_OK); // other archivers' refusals are no error
    browses(packs.plainDir, "");
    independent("", big);
    // PhysicsFS's own rules: mounting again succeeds and changes nothing; an
    // open file holds the mount.
    CHECK(wfpak_physfs_mount(plain.c_str(), nullptr, nullptr, "/elsewhere", 1));
    CHECK(std::strcmp(PHYSFS_getMountPoint(plain.c_str()), "/") == 0);
    PHYSFS_File *held = PHYSFS_openRead("readme.txt");
    CHECK(!PHYSFS_unmount(plain.c_str()));
    CHECK_EQ(PHYSFS_getLastErrorCode(), PHYSFS_ERR_FILES_STILL_OPEN);
    PHYSFS_close(held);
    CHECK(PHYSFS_unmount(plain.c_str()));
    CHECK(!PHYSFS_exists("readme.txt"));
    CHECK(!PHYSFS_unmount(plain.c_str()));

    // The masked executable under a mount point, first in the search path.
    CHECK(wfpak_physfs_mount(exe.c_str(), kKeyText.c_str(), kMaskText.c_str(), "data", 0));
    CHECK(PHYSFS_getMountPoint(exe.c_str()) && std::strcmp(PHYSFS_getMountPoint(exe.c_str()), "data/") == 0);
    CHECK(listing("/") == std::set<std::string>{"data"});
    browses(packs.plainDir, "data/");
    independent("data/", big);
    CHECK(PHYSFS_unmount(exe.c_str()));
    // The masked Data.Pak with the key texts as the tool's boxes show them.
    CHECK(wfpak_physfs_mount(packs.maskedPak().string().c_str(), kKey, kMask, "/", 1));
    CHECK(readWhole("gfx/title.bmp") == readFile(packs.plainDir / "gfx/title.bmp"));
    CHECK(PHYSFS_unmount(packs.maskedPak().string().c_str()));

    // "PAK" stays with PhysicsFS's Quake archiver, and the adapter's own
    // archiver claims nothing mounted by name.
    bool ours = false;
    for (const PHYSFS_ArchiveInfo **i = PHYSFS_supportedArchiveTypes(); *i; ++i)
        ours = ours || std::strcmp((*i)->extension, WFPAK_PHYSFS_ARCHIVE_EXT) == 0;
    CHECK(ours);
    const fs::path quake = scratch / "quake.pak";
    writeFile(quake, quakePak("maps/e1m1.bsp", Bytes{'b', 's', 'p'}));
    CHECK(PHYSFS_mount(quake.string().c_str(), "/", 1) && readWhole("maps/e1m1.bsp") == (Bytes{'b', 's', 'p'}));
    CHECK(PHYSFS_unmount(quake.string().c_str()));
    const fs::path byName = scratch / (std::string("game.") + WFPAK_PHYSFS_ARCHIVE_EXT);
    fs::copy_file(packs.plainPak(), byName);
    CHECK(!PHYSFS_mount(byName.string().c_str(), "/", 1));
    CHECK_EQ(PHYSFS_getLastErrorCode(), PHYSFS_ERR_UNSUPPORTED);

    // Refused: no key, a wrong key, a wrong mask, a cut-short pack, a damaged
    // header, no file at all.
    refused(exe, nullptr, nullptr, PHYSFS_ERR_CORRUPT);
    refused(exe, "$11111111", kMaskText.c_str(), PHYSFS_ERR_CORRUPT);
    refused(packs.maskedPak(), kKeyText.c_str(), "$5B19C7E5", PHYSFS_ERR_CORRUPT);
    Bytes pak = readFile(packs.plainPak());
    writeFile(scratch / "short.pak", Bytes(pak.begin(), pak.end() - long(pak.size() / 2)));
    refused(scratch / "short.pak", nullptr, nullptr, PHYSFS_ERR_CORRUPT);
    pak[1] ^= 0x40;
    writeFile(scratch / "header.pak", pak);
    refused(scratch / "header.pak", nullptr, nullptr, PHYSFS_ERR_CORRUPT);
    refused(scratch / "none.pak", nullptr, nullptr, PHYSFS_ERR_NOT_FOUND);
    char **searchPath = PHYSFS_getSearchPath();
    CHECK(searchPath && !searchPath[0]);
    PHYSFS_freeList(searchPath);

    oddNames(scratch);

    // A new PhysicsFS session registers the archiver again.
    CHECK(PHYSFS_deinit() && PHYSFS_init(argv[0]));
    CHECK(wfpak_physfs_mount(plain.c_str(), nullptr, nullptr, "/", 1) && readWhole("big.bin") == big);
    CHECK(PHYSFS_deinit());
    std::cerr << (failures ? "FAILED: " : "passed, ") << failures << " failure(s)\n";
    return failures ? 1 : 0;
}
