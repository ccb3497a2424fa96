/*
 * wfpak: the C interface of the Wrenfold pack reader, for C games and for
 * other languages' foreign-function interfaces (C#, Rust, Lua, Python ctypes).
 *
 * Copyright (c) 2026 Wrenfold developers. zlib licence: see PakReader.h.
 *
 * Threads: a pack is opened and closed by one thread; between the two, every
 * function below that takes a const wfpak_pack may run on any number of
 * threads at once (reads are by position, nothing in the pack changes).
 * Errors: the open functions return 0 or one of the WFPAK_E* codes and keep
 * a message for wfpak_errmsg; wfpak_read returns -1.
 */
#ifndef WFPAK_H
#define WFPAK_H

#include <stddef.h>
#include <stdint.h>

#if defined(WFPAK_SHARED)
#  if defined(_WIN32)
#    if defined(WFPAK_BUILDING)
#      define WFPAK_API __declspec(dllexport)
#    else
#      define WFPAK_API __declspec(dllimport)
#    endif
#  else
#    define WFPAK_API __attribute__((visibility("default")))
#  endif
#else
#  define WFPAK_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct wfpak_pack wfpak_pack;

/* Error codes of the open functions; 0 is success. */
enum {
    WFPAK_OK = 0,
    WFPAK_EIO = 1,             /* the file could not be opened or read */
    WFPAK_ENOTRAILER = 2,      /* a trailer was needed and there is none */
    WFPAK_ETOOSHORT = 3,       /* fewer bytes than the smallest pack */
    WFPAK_ETRAILER = 4,        /* the trailer leads outside the file or to no pack */
    WFPAK_EHEADER = 5,         /* the header word (or the mask) puts the index outside */
    WFPAK_ECOUNT = 6,          /* a count the index cannot hold */
    WFPAK_EINDEX = 7,          /* the index is cut short, a name too long, a bad number */
    WFPAK_EENTRY = 8,          /* an entry's bytes lie outside the pack */
    WFPAK_ENOMEM = 9           /* memory ran out */
};

/* Opens the pack in the file at `path` (UTF-8 on every platform): a
 * stand-alone Data.Pak, or an executable with a pack appended (the newest).
 * Key texts as the initialisation line gives them ("$5D5D5D5D") or as the
 * tool's boxes show them ("5D5D5D5D"); NULL for both reads a plain pack.
 * *pack is set whatever the result (NULL only when memory runs out) and must
 * be given to wfpak_close. */
WFPAK_API int wfpak_open_file(wfpak_pack **pack, const char *path,
                              const char *basic_key, const char *header_mask);

/* The same over bytes in memory, which are not copied: they must outlive
 * the pack. */
WFPAK_API int wfpak_open_memory(wfpak_pack **pack, const void *data, size_t size,
                                const char *basic_key, const char *header_mask);

/* The open's error text; empty after success. */
WFPAK_API const char *wfpak_errmsg(const wfpak_pack *pack);

/* Entries in index order; names as stored (backslashes between folders). */
WFPAK_API size_t wfpak_count(const wfpak_pack *pack);
WFPAK_API const char *wfpak_name(const wfpak_pack *pack, size_t index);
WFPAK_API uint32_t wfpak_size(const wfpak_pack *pack, size_t index);

/* The index of the first entry of that name (ASCII letter case ignored,
 * '/' and '\' alike), or -1. */
WFPAK_API long wfpak_find(const wfpak_pack *pack, const char *name);

/* Up to `len` bytes of entry `index` from byte `from`: the number read
 * (fewer than `len` only at the entry's end, 0 when `from` is its size),
 * or -1 for an index past the count, `from` past the size, or a read error. */
WFPAK_API int64_t wfpak_read(const wfpak_pack *pack, size_t index, uint64_t from,
                             void *buffer, size_t len);

WFPAK_API void wfpak_close(wfpak_pack *pack);

/* The library's version, "MAJOR.MINOR.PATCH". */
WFPAK_API const char *wfpak_version(void);

#ifdef __cplusplus
}
#endif

#endif
