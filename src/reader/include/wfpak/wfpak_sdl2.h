/*
 * wfpak_sdl2: an entry of a Wrenfold pack as an SDL_RWops, for SDL_LoadBMP_RW,
 * SDL_LoadWAV_RW, SDL_image, SDL_mixer, SDL_ttf and anything else that takes
 * one. C99; copy this header and wfpak_sdl2.c beside the reader into your
 * game, or link wfpak::sdl2. Works with SDL 2.0.x.
 *
 * Copyright (c) 2026 Wrenfold developers. zlib licence: see PakReader.h.
 *
 *     wfpak_pack *pack;
 *     if (wfpak_open_file(&pack, "Mygame.exe", "$5D5D5D5D", "$5B19C7E4") != 0)
 *         fail(wfpak_errmsg(pack));
 *     SDL_Surface *title = SDL_LoadBMP_RW(wfpak_sdl2_rwops(pack, "gfx/title.bmp"), 1);
 *     if (!title)
 *         fail(SDL_GetError());
 */
#ifndef WFPAK_SDL2_H
#define WFPAK_SDL2_H

#include <wfpak/wfpak.h>

#ifdef __cplusplus
extern "C" {
#endif

/* SDL's own header is not needed here: SDL_RWops is this struct. */
struct SDL_RWops;

/* A read-only SDL_RWops over the entry `name` of `pack`, found as wfpak_find
 * finds it (ASCII letter case ignored, '/' or '\' between folders). It knows
 * its size, seeks from any origin (a seek before the start or past the end
 * fails with -1 and keeps the position) and reads whole objects only (the
 * position never stops inside one); writes fail. NULL, with SDL_SetError
 * saying why, when there is no such entry.
 *
 * Any number may be open at once on one pack, each with its own position,
 * used from any threads (one RWops by one thread at a time, as with every
 * RWops). SDL_RWclose frees the RWops and never closes the pack, which must
 * outlive every RWops made over it. */
struct SDL_RWops *wfpak_sdl2_rwops(const wfpak_pack *pack, const char *name);

#ifdef __cplusplus
}
#endif

#endif
