// wfpak_physfs_mount against the real PhysicsFS: folders as directories,
// files that read and seek, refused mounts, names the tool never writes.
#include "Check.h"
#include "PackMaker.h"
#include "TestFiles.h"
#include <wfpak/wfpak_physfs.h>
#include <physfs.h>
#include <algorithm>
#include <set>

namespace {

using packmaker::content;
using Names = std::set<std::string>;

// Folders two deep, an empty file, one over the reader's 64 KiB chunk, a
// name beyond ASCII; as PhysicsFS names them (the pack has '\').
const std::vector<packmaker::Member> kFiles{
    {"gfx/title.bmp", content(1, 1000)}, {"gfx/fonts/big.fnt", content(2, 999)}, {"sfx/jump.wav", content(3, 6002)},
    {"sfx/ch\xC5\x93ur.wav", "\x01"},    {"maps/level1.map", content(5, 4097)},  {"maps/deep/secret/boss.map", "boss"},
    {"empty.txt", ""},                   {"big.bin", content(6, 200003)},        {"readme.txt", "Packed for the tests.\n"}};
const std::string &kBig = kFiles[7].data;

// Plain, masked, and masked after an executable.
const std::string kPlain = testfiles::scratch("Data.Pak"), kMasked = testfiles::scratch("masked/Data.Pak");
const std::string kExe = testfiles::scratch("Game.exe");

bool writePacks()
{
    std::vector<packmaker::Member> stored = kFiles;
    for (auto &m : stored)
        std::replace(m.name.begin(), m.name.end(), '/', '\\');
    const std::string masked = packmaker::pack(stored, true, 11, 3);
    return testfiles::writeFile(kPlain, packmaker::pack(stored, false)) && testfiles::writeFile(kMasked, masked)
           && testfiles::writeFile(kExe, packmaker::appended("MZ game", masked, true));
}

Names listing(const std::string &dir)
{
    Names names;
    char **list = PHYSFS_enumerateFiles(dir.c_str());
    for (char **i = list; i && *i; ++i)
        names.insert(*i);
    PHYSFS_freeList(list);
    return names;
}

// The file reads whole as `want`, then from scattered places by seeks; a
// seek to its end works, one past it fails.
bool readsAs(const std::string &path, const std::string &want)
{
    PHYSFS_File *f = PHYSFS_openRead(path.c_str());
    std::string whole(want.size() + 1, '\0');
    std::uint32_t seed = 11;
    bool ok = f && PHYSFS_fileLength(f) == PHYSFS_sint64(want.size())
              && PHYSFS_readBytes(f, &whole[0], whole.size()) == PHYSFS_sint64(want.size()) && PHYSFS_eof(f)
              && whole.compare(0, want.size(), want) == 0;
    for (int i = 0; ok && i < 200; ++i) {
        seed = seed * 2654435761u + 12345u;
        const std::size_t at = want.empty() ? 0 : seed % want.size(), n = std::min<std::size_t>(61, want.size() - at);
        ok = PHYSFS_seek(f, at) && PHYSFS_tell(f) == PHYSFS_sint64(at) && PHYSFS_readBytes(f, &whole[0], n) == PHYSFS_sint64(n)
             && want.compare(at, n, whole, 0, n) == 0;
    }
    ok = ok && PHYSFS_seek(f, want.size()) && !PHYSFS_seek(f, want.size() + 1);
    PHYSFS_close(f);
    return ok;
}

// Everything a game sees of each pack, mounted at the root or under "data".
TEST_CASE(browses)
{
    const struct { std::string path; const char *key, *mask, *mountPoint, *root; } mounts[] = {
        {kPlain, nullptr, nullptr, nullptr, ""},
        {kExe, "$11224488", "$80000001", "data", "data/"},
        {kMasked, "11224488", "80000001", "/", ""}, // the texts as the tool's boxes show them
    };
    for (const auto &m : mounts) {
        const std::string root = m.root;
        PHYSFS_Stat st;
        PHYSFS_getLastErrorCode(); // cleared: other archivers' refusals leave no error
        CHECK(wfpak_physfs_mount(m.path.c_str(), m.key, m.mask, m.mountPoint, 0) && PHYSFS_getLastErrorCode() == PHYSFS_ERR_OK);
        CHECK(listing("/") == (root.empty() ? Names{"big.bin", "empty.txt", "gfx", "maps", "readme.txt", "sfx"} : Names{"data"}));
        CHECK(listing(root + "maps/deep") == Names{"secret"} && listing(root + "sfx") == (Names{"jump.wav", "ch\xC5\x93ur.wav"}));
        CHECK(PHYSFS_isDirectory((root + "maps/deep/secret").c_str()) && !PHYSFS_isDirectory((root + "maps/level1.map").c_str()));
        CHECK(!PHYSFS_exists((root + "MAPS/level1.map").c_str())); // exact, as PhysicsFS's archives are
        CHECK(!PHYSFS_exists((root + "maps/level1.map/x").c_str()) && !PHYSFS_openRead((root + "gfx/none.bmp").c_str()));
        CHECK(PHYSFS_stat((root + "gfx").c_str(), &st) && st.filetype == PHYSFS_FILETYPE_DIRECTORY);
        CHECK(!PHYSFS_openRead((root + "gfx").c_str()));
        for (const auto &file : kFiles)
            if (!CHECK(PHYSFS_stat((root + file.name).c_str(), &st) && st.filetype == PHYSFS_FILETYPE_REGULAR && st.readonly
                       && st.filesize == PHYSFS_sint64(file.data.size()) && readsAs(root + file.name, file.data)))
                std::fprintf(stderr, "  %s\n", file.name.c_str());
        // Open files keep their own positions: two of one file and one of
        // another, read by turns in odd chunks.
        PHYSFS_File *open[3] = {PHYSFS_openRead((root + "big.bin").c_str()), PHYSFS_openRead((root + "big.bin").c_str()),
                                PHYSFS_openRead((root + "maps/level1.map").c_str())};
        std::string got[3];
        for (PHYSFS_sint64 n = 1; n > 0;) {
            n = 0;
            for (int i = 0; i < 3; ++i) {
                char buffer[1009];
                const PHYSFS_sint64 chunk = i == 0 ? 1009 : i == 1 ? 17 : 5;
                const PHYSFS_sint64 read = std::max<PHYSFS_sint64>(PHYSFS_readBytes(open[i], buffer, chunk), 0);
                got[i].append(buffer, std::size_t(read));
                n += read;
            }
        }
        CHECK(got[0] == kBig && got[1] == kBig && got[2] == kFiles[4].data);
        for (PHYSFS_File *f : open)
            PHYSFS_close(f);
        CHECK(PHYSFS_unmount(m.path.c_str()));
    }
}

// Refused: no key, a wrong key or mask, a cut-short pack, no file, before
// PHYSFS_init (main). Mounting again changes nothing; the archiver claims
// nothing mounted by name; a new PhysicsFS session registers it again.
TEST_CASE(mounts)
{
    const std::string cut = testfiles::scratch("short.pak"), byName = testfiles::scratch("game." WFPAK_PHYSFS_ARCHIVE_EXT);
    CHECK(testfiles::writeFile(cut, testfiles::readFile(kPlain).substr(0, 1000)));
    const struct { std::string path; const char *key, *mask; PHYSFS_ErrorCode code; } refused[] = {
        {kExe, nullptr, nullptr, PHYSFS_ERR_CORRUPT},          {kExe, "$11111111", "$80000001", PHYSFS_ERR_CORRUPT},
        {kMasked, "11224488", "80000000", PHYSFS_ERR_CORRUPT}, {cut, nullptr, nullptr, PHYSFS_ERR_CORRUPT},
        {testfiles::scratch("none.pak"), nullptr, nullptr, PHYSFS_ERR_NOT_FOUND},
    };
    for (const auto &row : refused)
        if (!CHECK(!wfpak_physfs_mount(row.path.c_str(), row.key, row.mask, "/", 1) && PHYSFS_getLastErrorCode() == row.code
                   && !PHYSFS_getMountPoint(row.path.c_str())))
            std::fprintf(stderr, "  %s\n", row.path.c_str());
    CHECK(wfpak_physfs_mount(kPlain.c_str(), nullptr, nullptr, "/", 1));
    CHECK(wfpak_physfs_mount(kPlain.c_str(), nullptr, nullptr, "/elsewhere", 1));
    CHECK(std::string(PHYSFS_getMountPoint(kPlain.c_str())) == "/");
    CHECK(PHYSFS_unmount(kPlain.c_str()) && !PHYSFS_exists("readme.txt") && !PHYSFS_unmount(kPlain.c_str()));
    CHECK(testfiles::writeFile(byName, testfiles::readFile(kPlain)));
    CHECK(!PHYSFS_mount(byName.c_str(), "/", 1) && PHYSFS_getLastErrorCode() == PHYSFS_ERR_UNSUPPORTED);
    CHECK(PHYSFS_deinit() && PHYSFS_init(nullptr));
    CHECK(wfpak_physfs_mount(kPlain.c_str(), nullptr, nullptr, "/", 1) && readsAs("big.bin", kBig));
    CHECK(PHYSFS_unmount(kPlain.c_str()));
}

// Names the tool never writes: duplicates (the first stays), empty parts,
// parts PhysicsFS refuses, a file that is also a folder, Windows-1252 and
// bytes that are not UTF-8 (an overlong form, a UTF-16 surrogate).
TEST_CASE(oddNames)
{
    const std::string pak = testfiles::scratch("odd.pak"), cafe = "caf\xC3\xA9 \xE2\x82\xAC.txt";
    CHECK(testfiles::writeFile(pak, packmaker::pack({{"a\\b.txt", "first"}, {"A\\B.TXT", "case"}, {"a\\b.txt", "second"},
        {"\\lead.txt", "lead"}, {"x\\\\y.txt", "double"}, {"c:\\evil.txt", "colon"}, {"..\\up.txt", "up"}, {"d\\.\\e.txt", "dot"},
        {"a\\b.txt\\in.txt", "through"}, {"h\\i.txt", "hi"}, {"h", "h file"}, {"", "empty"}, {"caf\xE9 \x80.txt", "cp1252"},
        {"ch\xC5\x93ur.txt", "utf8"}, {"x/z.txt", "slash"}, {"\xC0\xAF.txt", "overlong"}, {"\xED\xA0\x80.txt", "surrogate"}}, false)));
    CHECK(wfpak_physfs_mount(pak.c_str(), nullptr, nullptr, "/", 1));
    CHECK(listing("/") == (Names{"a", "A", "lead.txt", "x", "h", cafe, "ch\xC5\x93ur.txt", "\xC3\x80\xC2\xAF.txt",
                                 "\xC3\xAD\xC2\xA0\xE2\x82\xAC.txt"}));
    CHECK(listing("a") == Names{"b.txt"} && listing("x") == (Names{"y.txt", "z.txt"}));
    CHECK(readsAs("a/b.txt", "first") && readsAs("A/B.TXT", "case") && readsAs(cafe, "cp1252") && readsAs("x/y.txt", "double"));
    CHECK(PHYSFS_isDirectory("h") && readsAs("h/i.txt", "hi") && !PHYSFS_exists("a/b.txt/in.txt"));
    // The enumeration stops where the callback says.
    struct Count { int calls; PHYSFS_EnumerateCallbackResult answer; } stop{0, PHYSFS_ENUM_STOP}, error{0, PHYSFS_ENUM_ERROR},
        all{0, PHYSFS_ENUM_OK};
    const PHYSFS_EnumerateCallback counted = [](void *c, const char *, const char *) {
        return ++static_cast<Count *>(c)->calls, static_cast<Count *>(c)->answer;
    };
    CHECK(PHYSFS_enumerate("a", counted, &all) && all.calls == 1); // the second a\b.txt is not there
    CHECK(PHYSFS_enumerate("/", counted, &stop) && stop.calls == 1);
    CHECK(!PHYSFS_enumerate("x", counted, &error) && error.calls == 1 && PHYSFS_getLastErrorCode() == PHYSFS_ERR_APP_CALLBACK);
    CHECK(PHYSFS_unmount(pak.c_str()));
}

} // namespace

int main(int argc, char **argv)
{
    if (!CHECK(writePacks() && !wfpak_physfs_mount(kPlain.c_str(), nullptr, nullptr, "/", 1) && PHYSFS_init(argv[0])))
        return 1;
    const int status = check::runAll(argc, argv);
    return PHYSFS_deinit() ? status : 1;
}
