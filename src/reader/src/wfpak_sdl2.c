/*
 * wfpak_sdl2: an entry of a Wrenfold pack as an SDL_RWops. C99.
 * Copyright (c) 2026 Wrenfold developers. zlib licence: see PakReader.h.
 */
#include <wfpak/wfpak_sdl2.h>
#include "SDL.h"

/* One open entry. The pack reads by position, so each RWops keeps its own
 * and many can read one pack at once. */
typedef struct {
    const wfpak_pack *pack;
    size_t index;
    Sint64 size;
    Sint64 pos;
} entry_stream;

static entry_stream *stream_of(SDL_RWops *rw)
{
    return (entry_stream *)rw->hidden.unknown.data1;
}

static Sint64 SDLCALL entry_size(SDL_RWops *rw)
{
    return stream_of(rw)->size;
}

static Sint64 SDLCALL entry_seek(SDL_RWops *rw, Sint64 offset, int whence)
{
    entry_stream *s = stream_of(rw);
    Sint64 base;
    switch (whence) {
    case RW_SEEK_SET: base = 0; break;
    case RW_SEEK_CUR: base = s->pos; break;
    case RW_SEEK_END: base = s->size; break;
    default: return SDL_SetError("wfpak: unknown seek origin %d", whence);
    }
    /* Compared before adding, so that no offset can overflow the sum. */
    if (offset < -base || offset > s->size - base)
        return SDL_SetError("wfpak: seek to %lld from %lld lies outside the entry's %lld bytes", (long long)offset,
                            (long long)base, (long long)s->size);
    s->pos = base + offset;
    return s->pos;
}

static size_t SDLCALL entry_read(SDL_RWops *rw, void *ptr, size_t size, size_t maxnum)
{
    entry_stream *s = stream_of(rw);
    unsigned char *out = (unsigned char *)ptr;
    size_t objects, want, done = 0;
    if (size == 0 || maxnum == 0)
        return 0;
    objects = (size_t)(s->size - s->pos) / size;
    if (objects > maxnum)
        objects = maxnum;
    want = objects * size;
    while (done < want) {
        const Sint64 n = wfpak_read(s->pack, s->index, (Uint64)(s->pos + (Sint64)done), out + done, want - done);
        if (n <= 0) {
            /* Only whole objects count; the position stays before the rest. */
            s->pos += (Sint64)(done / size * size);
            SDL_SetError("wfpak: reading the pack failed");
            return done / size;
        }
        done += (size_t)n;
    }
    s->pos += (Sint64)want;
    return objects;
}

static size_t SDLCALL entry_write(SDL_RWops *rw, const void *ptr, size_t size, size_t num)
{
    (void)rw;
    (void)ptr;
    (void)size;
    (void)num;
    SDL_SetError("wfpak: a pack's entries are read-only");
    return 0;
}

static int SDLCALL entry_close(SDL_RWops *rw)
{
    if (rw) {
        SDL_free(stream_of(rw));
        SDL_FreeRW(rw);
    }
    return 0;
}

SDL_RWops *wfpak_sdl2_rwops(const wfpak_pack *pack, const char *name)
{
    entry_stream *s;
    SDL_RWops *rw;
    long index;
    if (!pack || !name) {
        SDL_SetError("wfpak: %s is NULL", pack ? "the entry's name" : "the pack");
        return NULL;
    }
    index = wfpak_find(pack, name);
    if (index < 0) {
        SDL_SetError("wfpak: the pack has no entry named \"%s\"", name);
        return NULL;
    }
    s = (entry_stream *)SDL_malloc(sizeof *s);
    rw = s ? SDL_AllocRW() : NULL;
    if (!rw) {
        SDL_free(s);
        SDL_OutOfMemory();
        return NULL;
    }
    s->pack = pack;
    s->index = (size_t)index;
    s->size = (Sint64)wfpak_size(pack, s->index);
    s->pos = 0;
    rw->size = entry_size;
    rw->seek = entry_seek;
    rw->read = entry_read;
    rw->write = entry_write;
    rw->close = entry_close;
    rw->type = SDL_RWOPS_UNKNOWN;
    rw->hidden.unknown.data1 = s;
    rw->hidden.unknown.data2 = NULL;
    return rw;
}
