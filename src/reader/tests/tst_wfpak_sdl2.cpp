// wfpak_sdl2_rwops against the real SDL2: images and sounds load as from the
// files, seeks and reads stop at the entry's edges, RWops read independently.
// Usage: tst_wfpak_sdl2 WRENFOLD_PAK SCRATCH_DIR
#include "PackFixture.h"
#include <wfpak/wfpak_sdl2.h>
#include "SDL.h"
#include <cstring>
#include <iostream>
#include <thread>

using namespace fixture;

namespace {

const std::string kKeyText = std::string("$") + kKey;
const std::string kMaskText = std::string("$") + kMask;

Bytes readAll(SDL_RWops *rw, std::size_t chunk)
{
    Bytes out, buf(chunk);
    std::size_t n;
    while ((n = SDL_RWread(rw, buf.data(), 1, chunk)) > 0)
        out.insert(out.end(), buf.begin(), buf.begin() + long(n));
    return out;
}

bool sameSurface(SDL_Surface *a, SDL_Surface *b)
{
    if (!a || !b || a->w != b->w || a->h != b->h || a->format->format != b->format->format)
        return false;
    const std::size_t row = std::size_t(a->w) * a->format->BytesPerPixel;
    for (int y = 0; y < a->h; ++y)
        if (std::memcmp(static_cast<char *>(a->pixels) + y * a->pitch, static_cast<char *>(b->pixels) + y * b->pitch, row))
            return false;
    return true;
}

// The BMP and the WAV load through the RWops exactly as from the files.
void loadsLikeFiles(const wfpak_pack *pack, const fs::path &project)
{
    SDL_Surface *fromPack = SDL_LoadBMP_RW(wfpak_sdl2_rwops(pack, "GFX\\Title.BMP"), 1);
    SDL_Surface *fromFile = SDL_LoadBMP((project / "gfx/title.bmp").string().c_str());
    CHECK(fromPack && fromPack->w == 37 && fromPack->h == 11);
    CHECK(sameSurface(fromPack, fromFile));
    SDL_FreeSurface(fromPack);
    SDL_FreeSurface(fromFile);

    SDL_AudioSpec packSpec, fileSpec;
    Uint8 *packBuf = nullptr, *fileBuf = nullptr;
    Uint32 packLen = 0, fileLen = 0;
    CHECK(SDL_LoadWAV_RW(wfpak_sdl2_rwops(pack, "sfx/jump.wav"), 1, &packSpec, &packBuf, &packLen));
    CHECK(SDL_LoadWAV((project / "sfx/jump.wav").string().c_str(), &fileSpec, &fileBuf, &fileLen));
    CHECK(packBuf && fileBuf && packLen == 6002 && packLen == fileLen && !std::memcmp(packBuf, fileBuf, packLen));
    CHECK(packSpec.freq == fileSpec.freq && packSpec.format == fileSpec.format && packSpec.channels == 1);
    SDL_FreeWAV(packBuf);
    SDL_FreeWAV(fileBuf);
}

// Seeks from every origin up to and past both ends; a refused seek keeps the
// position. Reads take whole objects only and stop at the end.
void edges(const wfpak_pack *pack, const Bytes &big)
{
    SDL_RWops *rw = wfpak_sdl2_rwops(pack, "big.bin");
    const Sint64 size = Sint64(big.size());
    CHECK_EQ(SDL_RWsize(rw), size);
    struct Seek { Sint64 from, offset; int whence; Sint64 result; };
    const Seek seeks[] = {
        {100, 0, RW_SEEK_SET, 0},          {100, size, RW_SEEK_SET, size},      {100, size + 1, RW_SEEK_SET, -1},
        {100, -1, RW_SEEK_SET, -1},        {0, -1, RW_SEEK_CUR, -1},           {100, -100, RW_SEEK_CUR, 0},
        {100, -101, RW_SEEK_CUR, -1},      {100, size - 100, RW_SEEK_CUR, size}, {100, size - 99, RW_SEEK_CUR, -1},
        {100, 0, RW_SEEK_END, size},       {100, 1, RW_SEEK_END, -1},          {100, -size, RW_SEEK_END, 0},
        {100, -size - 1, RW_SEEK_END, -1}, {100, INT64_MAX, RW_SEEK_CUR, -1},  {100, INT64_MIN, RW_SEEK_END, -1},
        {100, INT64_MIN, RW_SEEK_CUR, -1}, {100, 5, 42, -1},
    };
    for (const Seek &s : seeks) {
        SDL_RWseek(rw, s.from, RW_SEEK_SET);
        const Sint64 got = SDL_RWseek(rw, s.offset, s.whence);
        if (!CHECK_EQ(got, s.result))
            std::cerr << "  seek " << s.offset << " whence " << s.whence << " from " << s.from << " gave " << got << "\n";
        CHECK_EQ(SDL_RWtell(rw), s.result < 0 ? s.from : s.result);
    }
    // Byte runs at every alignment of the key cycle.
    for (Sint64 at : {Sint64(0), Sint64(1), Sint64(2), Sint64(3), Sint64(65535), size - 7}) {
        unsigned char buf[7];
        SDL_RWseek(rw, at, RW_SEEK_SET);
        CHECK(SDL_RWread(rw, buf, 1, 7) == 7 && !std::memcmp(buf, big.data() + at, 7));
    }
    unsigned char buf[16];
    SDL_ClearError();
    SDL_RWseek(rw, -5, RW_SEEK_END);
    CHECK_EQ(SDL_RWread(rw, buf, 3, 2), std::size_t(1)); // one whole object of three bytes
    CHECK_EQ(SDL_RWtell(rw), size - 2);
    CHECK_EQ(SDL_RWread(rw, buf, 4, 1), std::size_t(0)); // two bytes left: no object
    CHECK_EQ(SDL_RWtell(rw), size - 2);
    CHECK(SDL_RWread(rw, buf, 1, 16) == 2 && !std::memcmp(buf, big.data() + size - 2, 2));
    CHECK_EQ(SDL_RWread(rw, buf, 1, 16), std::size_t(0));
    CHECK(!*SDL_GetError()); // the end of an entry is no error
    CHECK_EQ(SDL_RWwrite(rw, buf, 1, 1), std::size_t(0));
    CHECK(std::strlen(SDL_GetError()) > 0);
    CHECK_EQ(SDL_RWclose(rw), 0);

    SDL_RWops *empty = wfpak_sdl2_rwops(pack, "empty.txt");
    CHECK(empty && SDL_RWsize(empty) == 0 && SDL_RWread(empty, buf, 1, 1) == 0);
    CHECK(SDL_RWseek(empty, 0, RW_SEEK_END) == 0 && SDL_RWseek(empty, 1, RW_SEEK_SET) == -1);
    SDL_RWclose(empty);
}

// Two RWops of one entry and one of another, read by turns in odd chunks.
void interleaved(const wfpak_pack *pack, const Bytes &big, const Bytes &map)
{
    SDL_RWops *a = wfpak_sdl2_rwops(pack, "big.bin");
    SDL_RWops *b = wfpak_sdl2_rwops(pack, "big.bin");
    SDL_RWops *c = wfpak_sdl2_rwops(pack, "maps/level1.map");
    Bytes ra, rb, rc;
    unsigned char buf[997];
    for (bool more = true; more;) {
        const std::size_t na = SDL_RWread(a, buf, 1, 997);
        ra.insert(ra.end(), buf, buf + na);
        const std::size_t nb = SDL_RWread(b, buf, 1, 13);
        rb.insert(rb.end(), buf, buf + nb);
        const std::size_t nc = SDL_RWread(c, buf, 1, 101);
        rc.insert(rc.end(), buf, buf + nc);
        more = na || nb || nc;
    }
    CHECK(ra == big);
    CHECK(rb == big);
    CHECK(rc == map);
    SDL_RWclose(a);
    SDL_RWclose(b);
    SDL_RWclose(c);
}

// Four threads, each its own RWops of one pack, reading from scattered places.
void threads(const wfpak_pack *pack, const Bytes &big)
{
    bool ok[4] = {};
    std::vector<std::thread> pool;
    for (int t = 0; t < 4; ++t) {
        pool.emplace_back([&, t] {
            SDL_RWops *rw = wfpak_sdl2_rwops(pack, "big.bin");
            bool good = rw && readAll(rw, std::size_t(509 + t * 256)) == big;
            unsigned char buf[333];
            for (std::uint32_t i = 0, at = std::uint32_t(t); good && i < 300; ++i) {
                at = (at * 2654435761u + 12345u) % std::uint32_t(big.size() - sizeof buf);
                good = SDL_RWseek(rw, at, RW_SEEK_SET) == at && SDL_RWread(rw, buf, 1, sizeof buf) == sizeof buf
                    && !std::memcmp(buf, big.data() + at, sizeof buf);
            }
            ok[t] = good;
            SDL_RWclose(rw);
        });
    }
    for (auto &th : pool)
        th.join();
    for (bool good : ok)
        CHECK(good);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage: tst_wfpak_sdl2 WRENFOLD_PAK SCRATCH_DIR\n";
        return 2;
    }
    Packs packs;
    if (!buildPacks(argv[1], argv[2], argv[0], packs) || SDL_Init(0) != 0)
        return 1;
    const Bytes big = readFile(packs.plainDir / "big.bin");
    const Bytes map = readFile(packs.plainDir / "maps/level1.map");
    struct Case { fs::path file; const char *key; const char *mask; };
    const Case cases[] = {{packs.plainPak(), nullptr, nullptr},
                          {packs.maskedPak(), kKeyText.c_str(), kMaskText.c_str()},
                          {packs.maskedExe(), kKeyText.c_str(), kMaskText.c_str()}};
    for (const Case &c : cases) {
        std::cerr << "-- " << c.file << "\n";
        wfpak_pack *pack = nullptr;
        if (!CHECK_EQ(wfpak_open_file(&pack, c.file.string().c_str(), c.key, c.mask), 0)) {
            std::cerr << "  " << wfpak_errmsg(pack) << "\n";
            wfpak_close(pack);
            continue;
        }
        loadsLikeFiles(pack, packs.plainDir);
        edges(pack, big);
        interleaved(pack, big, map);
        threads(pack, big);

        SDL_ClearError();
        CHECK(wfpak_sdl2_rwops(pack, "gfx/missing.bmp") == nullptr);
        CHECK(std::strstr(SDL_GetError(), "gfx/missing.bmp") != nullptr);
        CHECK(wfpak_sdl2_rwops(pack, "gfx") == nullptr);
        CHECK(wfpak_sdl2_rwops(nullptr, "big.bin") == nullptr);
        // Closing every RWops left the pack open and readable.
        SDL_RWops *again = wfpak_sdl2_rwops(pack, "readme.txt");
        CHECK(again && readAll(again, 64) == readFile(packs.plainDir / "readme.txt"));
        SDL_RWclose(again);
        wfpak_close(pack);
    }
    SDL_Quit();
    std::cerr << (failures ? "FAILED: " : "passed, ") << failures << " failure(s)\n";
    return failures ? 1 : 0;
}
