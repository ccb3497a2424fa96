/*
 * wfpak_physfs: mounts a Wrenfold pack in PhysicsFS's search path. C99; copy
 * this header and wfpak_physfs.c beside the reader into your game, or link
 * wfpak::physfs. Works with PhysicsFS 3.0.
 *
 * Copyright (c) 2026 Wrenfold developers. zlib licence: see PakReader.h.
 *
 *     PHYSFS_init(argv[0]);
 *     if (!wfpak_physfs_mount("Mygame.exe", "$5D5D5D5D", "$5B19C7E4", "/", 1))
 *         fail(PHYSFS_getErrorByCode(PHYSFS_getLastErrorCode()));
 *     PHYSFS_File *f = PHYSFS_openRead("gfx/title.bmp");
 *     ...
 *     PHYSFS_unmount("Mygame.exe");
 */
#ifndef WFPAK_PHYSFS_H
#define WFPAK_PHYSFS_H

#ifdef __cplusplus
extern "C" {
#endif

/* The extension of the archiver that wfpak_physfs_mount registers (once per
 * PHYSFS_init). It claims only what wfpak_physfs_mount hands it, never a file
 * mounted by name: "PAK" stays with PhysicsFS's Quake archiver. */
#define WFPAK_PHYSFS_ARCHIVE_EXT "WFPAK"

/* Mounts the pack in the file at `path` (UTF-8): a stand-alone Data.Pak or an
 * executable with a pack appended, masked (the key and mask texts of the
 * initialisation line, "$5D5D5D5D", or of the tool's boxes, "5D5D5D5D") or
 * plain (NULL for both). `mount_point` and `append_to_path` mean what they
 * mean to PHYSFS_mount; the result too: nonzero on success (also when `path`
 * is already mounted), 0 on failure with PHYSFS_getLastErrorCode telling
 * why (before PHYSFS_init it can keep no code): PHYSFS_ERR_NOT_FOUND (no file),
 * PHYSFS_ERR_IO, PHYSFS_ERR_CORRUPT (no pack that reads with this key and
 * mask: a wrong key or mask, or a damaged file), PHYSFS_ERR_OUT_OF_MEMORY.
 * For the reason in words, open the file with wfpak_open_file and read
 * wfpak_errmsg. The mount is named `path`: PHYSFS_unmount(path) undoes it.
 *
 * Inside, folders are directories and names use '/'. Names are the stored
 * bytes when they are UTF-8, else read as Windows-1252 (packs made on an
 * 8-bit system). Lookups are exact, letter case included, as in PhysicsFS's
 * own archives. Entries PhysicsFS could never open are left out: a name
 * with a ':' or a "." or ".." folder, an empty name, an entry under a name
 * an earlier entry already holds (the first one wins, as wfpak_find finds it)
 * or a name that runs through an earlier file. Every file PHYSFS_openRead
 * opens reads, seeks and knows its length independently of the others, on
 * any thread; the archive is read-only. */
int wfpak_physfs_mount(const char *path, const char *basic_key, const char *header_mask,
                       const char *mount_point, int append_to_path);

#ifdef __cplusplus
}
#endif

#endif
