// wfpak_sdl2_rwops against the real SDL2, on a pack plain, masked, and
// masked after an executable: images load as from memory, seeks and reads
// stop at the entry's edges, RWops read independently.
#include "Check.h"
#include "PackMaker.h"
#include "TestFiles.h"
#include <wfpak/wfpak_sdl2.h>
#include "SDL.h"

namespace {

using packmaker::content;

std::string le(std::uint32_t v, int bytes) { return packmaker::word(v).substr(0, std::size_t(bytes)); }

// A 24-bit BMP 37 pixels wide: padding at the end of every row.
const std::string kBmp = "BM" + le(54 + 112 * 11, 4) + le(0, 4) + le(54, 4) + le(40, 4) + le(37, 4) + le(11, 4) + le(1, 2)
        + le(24, 2) + std::string(24, '\0') + content(5, 112 * 11);
const std::string kBig = content(1, 200003), kMap = content(2, 4097);

// SDL's own loader reads the image through the RWops as from memory.
void loadsLikeMemory(const wfpak_pack *pack)
{
    SDL_Surface *a = SDL_LoadBMP_RW(wfpak_sdl2_rwops(pack, "GFX/Title.BMP"), 1);
    SDL_Surface *b = SDL_LoadBMP_RW(SDL_RWFromConstMem(kBmp.data(), int(kBmp.size())), 1);
    for (int y = 0; CHECK(a && b && a->w == 37 && a->h == 11 && a->format->format == b->format->format) && y < 11; ++y)
        CHECK(!std::memcmp(static_cast<char *>(a->pixels) + y * a->pitch, static_cast<char *>(b->pixels) + y * b->pitch, 37 * 3));
    SDL_FreeSurface(a);
    SDL_FreeSurface(b);
}

// Seeks from every origin up to and past both ends; a refused seek keeps
// the position. Reads take whole objects only, at every phase of the key.
void edges(const wfpak_pack *pack)
{
    SDL_RWops *rw = wfpak_sdl2_rwops(pack, "big.bin");
    const Sint64 size = Sint64(kBig.size());
    CHECK(SDL_RWsize(rw) == size);
    const struct { Sint64 from, offset; int whence; Sint64 result; } seeks[] = {
        {100, 0, RW_SEEK_SET, 0},          {100, size, RW_SEEK_SET, size},       {100, size + 1, RW_SEEK_SET, -1},
        {100, -1, RW_SEEK_SET, -1},        {0, -1, RW_SEEK_CUR, -1},             {100, -100, RW_SEEK_CUR, 0},
        {100, -101, RW_SEEK_CUR, -1},      {100, size - 100, RW_SEEK_CUR, size}, {100, size - 99, RW_SEEK_CUR, -1},
        {100, 0, RW_SEEK_END, size},       {100, 1, RW_SEEK_END, -1},            {100, -size, RW_SEEK_END, 0},
        {100, -size - 1, RW_SEEK_END, -1}, {100, INT64_MAX, RW_SEEK_CUR, -1},    {100, INT64_MIN, RW_SEEK_END, -1},
        {100, INT64_MIN, RW_SEEK_CUR, -1}, {100, 5, 42, -1},
    };
    for (const auto &s : seeks) {
        SDL_RWseek(rw, s.from, RW_SEEK_SET);
        if (!CHECK(SDL_RWseek(rw, s.offset, s.whence) == s.result && SDL_RWtell(rw) == (s.result < 0 ? s.from : s.result)))
            std::fprintf(stderr, "  seek %lld whence %d from %lld\n", (long long)s.offset, s.whence, (long long)s.from);
    }
    char buffer[16];
    for (Sint64 at : {Sint64(0), Sint64(1), Sint64(2), Sint64(3), Sint64(65535), size - 7})
        CHECK(SDL_RWseek(rw, at, RW_SEEK_SET) == at && SDL_RWread(rw, buffer, 1, 7) == 7 && !kBig.compare(at, 7, buffer, 7));
    SDL_ClearError();
    SDL_RWseek(rw, -5, RW_SEEK_END);
    CHECK(SDL_RWread(rw, buffer, 3, 2) == 1 && SDL_RWtell(rw) == size - 2); // one whole object of three bytes
    CHECK(SDL_RWread(rw, buffer, 4, 1) == 0 && SDL_RWtell(rw) == size - 2); // two bytes left: no object
    CHECK(SDL_RWread(rw, buffer, 1, 16) == 2 && !kBig.compare(size - 2, 2, buffer, 2));
    CHECK(SDL_RWread(rw, buffer, 1, 16) == 0 && !*SDL_GetError()); // the end of an entry is no error
    CHECK(SDL_RWwrite(rw, buffer, 1, 1) == 0 && *SDL_GetError() && SDL_RWclose(rw) == 0);
    SDL_ClearError();
    CHECK(!wfpak_sdl2_rwops(pack, "gfx/missing.bmp") && std::strstr(SDL_GetError(), "gfx/missing.bmp"));
    CHECK(!wfpak_sdl2_rwops(pack, "gfx") && !wfpak_sdl2_rwops(nullptr, "big.bin") && !wfpak_sdl2_rwops(pack, nullptr));
}

// Two RWops of one entry and one of another, read by turns in odd chunks.
void independent(const wfpak_pack *pack)
{
    SDL_RWops *rw[3] = {wfpak_sdl2_rwops(pack, "big.bin"), wfpak_sdl2_rwops(pack, "big.bin"),
                        wfpak_sdl2_rwops(pack, "maps/level1.map")};
    std::string got[3];
    for (std::size_t n = 1; n > 0;) {
        n = 0;
        for (int i = 0; i < 3; ++i) {
            char buffer[997];
            const std::size_t read = SDL_RWread(rw[i], buffer, 1, i == 0 ? 997 : i == 1 ? 13 : 101);
            got[i].append(buffer, read);
            n += read;
        }
    }
    CHECK(got[0] == kBig && got[1] == kBig && got[2] == kMap);
    for (SDL_RWops *r : rw)
        SDL_RWclose(r);
}

TEST_CASE(rwops)
{
    for (int way = 0; way < 3; ++way) { // plain, masked, masked after an executable
        const std::string pak = packmaker::pack({{"gfx\\title.bmp", kBmp}, {"big.bin", kBig},
                                                 {"maps\\level1.map", kMap}}, way > 0, 7, 5);
        const std::string path = testfiles::scratch(way == 2 ? "Game.exe" : "Data.Pak");
        CHECK(testfiles::writeFile(path, way == 2 ? packmaker::appended("MZ game", pak, true) : pak));
        wfpak_pack *pack = nullptr;
        if (CHECK(wfpak_open_file(&pack, path.c_str(), way ? "$11224488" : nullptr, way ? "$80000001" : nullptr) == 0)) {
            loadsLikeMemory(pack);
            edges(pack);
            independent(pack);
        }
        wfpak_close(pack);
    }
}

} // namespace

int main(int argc, char **argv)
{
    const int status = SDL_Init(0) == 0 ? check::runAll(argc, argv) : 1;
    SDL_Quit();
    return status;
}
