/*
 * A small SDL2 game whose data rides in its own executable: `wrenfold-pak
 * build` appends gfx/title.bmp and sfx/start.wav to build/sdl-game, masked,
 * as PakProfile.QXT says. At start the game opens its own executable, loads
 * the title through wfpak_sdl2_rwops and shows it.
 *
 *     sdl-game          shows the title until the window closes
 *     sdl-game --once   shows one frame and ends (for CI, with
 *                       SDL_VIDEODRIVER=dummy)
 */
#include <wfpak/wfpak_sdl2.h>
#include "SDL.h"
#include <stdio.h>
#include <string.h>

/* The key and mask of PakProfile.QXT, as the initialisation line gives them. */
#define PAK_KEY "$6E3F0A92"
#define PAK_MASK "$2C4D9B17"

/* FNV-1a over the pixels, row by row (a surface's rows may be padded). */
static Uint32 checksum(const SDL_Surface *s)
{
    Uint32 h = 2166136261u;
    int x, y;
    for (y = 0; y < s->h; ++y) {
        const Uint8 *row = (const Uint8 *)s->pixels + y * s->pitch;
        for (x = 0; x < s->w * s->format->BytesPerPixel; ++x)
            h = (h ^ row[x]) * 16777619u;
    }
    return h;
}

static int fail(const char *what, const char *why)
{
    fprintf(stderr, "sdl-game: %s: %s\n", what, why);
    SDL_Quit();
    return 1;
}

int main(int argc, char **argv)
{
    const int once = argc > 1 && strcmp(argv[1], "--once") == 0;
    const char *name = argc > 0 && argv[0] ? argv[0] : "sdl-game";
    char path[4096];
    char *base;
    wfpak_pack *pack = NULL;
    SDL_Surface *title;
    SDL_AudioSpec format;
    Uint8 *sound;
    Uint32 sound_len;
    SDL_Window *window;
    int running = 1;

    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return fail("SDL_Init", SDL_GetError());
    /* Our own executable: SDL knows its folder, argv[0] its name. */
    base = SDL_GetBasePath();
    if (strrchr(name, '/'))
        name = strrchr(name, '/') + 1;
    if (strrchr(name, '\\'))
        name = strrchr(name, '\\') + 1;
    SDL_snprintf(path, sizeof path, "%s%s", base ? base : "", name);
    SDL_free(base);

    if (wfpak_open_file(&pack, path, PAK_KEY, PAK_MASK) != WFPAK_OK) {
        fail(path, wfpak_errmsg(pack));
        wfpak_close(pack);
        return 1;
    }
    title = SDL_LoadBMP_RW(wfpak_sdl2_rwops(pack, "gfx/title.bmp"), 1);
    if (!title) {
        wfpak_close(pack);
        return fail("gfx/title.bmp", SDL_GetError());
    }
    if (!SDL_LoadWAV_RW(wfpak_sdl2_rwops(pack, "sfx/start.wav"), 1, &format, &sound, &sound_len)) {
        wfpak_close(pack);
        return fail("sfx/start.wav", SDL_GetError());
    }
    printf("title.bmp: %dx%d, checksum %08X\n", title->w, title->h, (unsigned)checksum(title));
    printf("start.wav: %u bytes at %d Hz\n", (unsigned)sound_len, format.freq);
    SDL_FreeWAV(sound);
    wfpak_close(pack); /* everything is loaded */

    window = SDL_CreateWindow("Wrenfold SDL example", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                              title->w * 4, title->h * 4, 0);
    if (!window) {
        SDL_FreeSurface(title);
        return fail("SDL_CreateWindow", SDL_GetError());
    }
    while (running) {
        SDL_Event event;
        SDL_BlitScaled(title, NULL, SDL_GetWindowSurface(window), NULL);
        SDL_UpdateWindowSurface(window);
        while (SDL_PollEvent(&event))
            if (event.type == SDL_QUIT || event.type == SDL_KEYDOWN)
                running = 0;
        if (once)
            running = 0;
        else
            SDL_Delay(16);
    }
    SDL_FreeSurface(title);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
