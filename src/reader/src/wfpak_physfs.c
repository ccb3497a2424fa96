/*
 * wfpak_physfs: a Wrenfold pack mounted in PhysicsFS's search path. C99.
 * Copyright (c) 2026 Wrenfold developers. zlib licence: see PakReader.h.
 *
 * PhysicsFS hands an archiver nothing but a PHYSFS_Io, so the key cannot
 * travel with the file's name. wfpak_physfs_mount opens the pack itself and
 * mounts a hand-off Io that carries the open pack; the archiver claims only
 * Ios of that kind, and takes the pack from it.
 */
#include <wfpak/wfpak_physfs.h>
#include <wfpak/wfpak.h>
#include <physfs.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* ---------------------------------------------------------------- names */

/* The length of the UTF-8 sequence at s (no overlong forms, surrogates or
 * code points past U+10FFFF), or 0. s ends in a NUL, which stops the checks. */
static size_t utf8_sequence(const unsigned char *s)
{
    const unsigned c = s[0];
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        return (s[1] & 0xC0) == 0x80 ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if ((s[1] & 0xC0) != 0x80 || (s[2] & 0xC0) != 0x80 || (c == 0xE0 && s[1] < 0xA0) || (c == 0xED && s[1] >= 0xA0))
            return 0;
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if ((s[1] & 0xC0) != 0x80 || (s[2] & 0xC0) != 0x80 || (s[3] & 0xC0) != 0x80 || (c == 0xF0 && s[1] < 0x90)
            || (c == 0xF4 && s[1] >= 0x90))
            return 0;
        return 4;
    }
    return 0;
}

/* Windows-1252's 0x80..0x9F; the five bytes it leaves undefined keep their
 * Latin-1 meaning, as Windows does. */
static const unsigned short cp1252_high[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

/* The stored name as UTF-8 (read as Windows-1252 when it is not UTF-8), every
 * '\' and '/' turned into a NUL so that each part is a string of its own. */
static char *split_name(const char *stored, size_t *length)
{
    const unsigned char *s = (const unsigned char *)stored;
    const size_t len = strlen(stored);
    size_t i, n = 0;
    int utf8 = 1;
    char *out;
    for (i = 0; i < len && utf8; i += utf8_sequence(s + i))
        utf8 = utf8_sequence(s + i) != 0;
    out = (char *)malloc(utf8 ? len + 1 : 3 * len + 1);
    if (!out)
        return NULL;
    for (i = 0; i < len; ++i) {
        const unsigned c = s[i];
        const unsigned u = c >= 0x80 && c < 0xA0 ? cp1252_high[c - 0x80] : c;
        if (c == '\\' || c == '/') {
            out[n++] = '\0';
        } else if (utf8 || c < 0x80) {
            out[n++] = (char)c;
        } else if (u < 0x800) {
            out[n++] = (char)(0xC0 | u >> 6);
            out[n++] = (char)(0x80 | (u & 0x3F));
        } else {
            out[n++] = (char)(0xE0 | u >> 12);
            out[n++] = (char)(0x80 | (u >> 6 & 0x3F));
            out[n++] = (char)(0x80 | (u & 0x3F));
        }
    }
    out[n] = '\0';
    *length = n;
    return out;
}

/* The next non-empty part of a split name at or after *p, or NULL. */
static const char *next_part(const char **p, const char *end, size_t *len)
{
    while (*p < end && **p == '\0')
        ++*p;
    if (*p >= end)
        return NULL;
    {
        const char *part = *p;
        *len = strlen(part);
        *p += *len;
        return part;
    }
}

/* PhysicsFS refuses these in every path it is given. */
static int openable_part(const char *part, size_t len)
{
    return memchr(part, ':', len) == NULL && strcmp(part, ".") != 0 && strcmp(part, "..") != 0;
}

/* ---------------------------------------------------------------- tree */

typedef struct {
    const char *name; /* one part of a split name */
    size_t len;
    long parent, first, last, next; /* children in index order */
    long entry;                     /* the pack's index; -1 for a folder */
} node;

typedef struct {
    wfpak_pack *pack;
    node *nodes; /* nodes[0] is the root */
    size_t count;
    long *slots; /* open addressing over (parent, name); -1 is empty */
    size_t mask;
    char **names; /* the split names the nodes point into */
    size_t name_count;
} archive;

static size_t slot_of(const archive *a, long parent, const char *name, size_t len)
{
    unsigned long h = 2166136261u ^ (unsigned long)parent;
    size_t i;
    for (i = 0; i < len; ++i)
        h = ((h ^ (unsigned char)name[i]) * 16777619u) & 0xFFFFFFFFu;
    return (size_t)h & a->mask;
}

static long child_named(const archive *a, long parent, const char *name, size_t len)
{
    size_t i;
    for (i = slot_of(a, parent, name, len); a->slots[i] >= 0; i = (i + 1) & a->mask) {
        const node *n = &a->nodes[a->slots[i]];
        if (n->parent == parent && n->len == len && memcmp(n->name, name, len) == 0)
            return a->slots[i];
    }
    return -1;
}

static long add_node(archive *a, long parent, const char *name, size_t len, long entry)
{
    const long id = (long)a->count++;
    node *n = &a->nodes[id];
    size_t i = slot_of(a, parent, name, len);
    n->name = name;
    n->len = len;
    n->parent = parent;
    n->first = n->last = n->next = -1;
    n->entry = entry;
    while (a->slots[i] >= 0)
        i = (i + 1) & a->mask;
    a->slots[i] = id;
    if (a->nodes[parent].last >= 0)
        a->nodes[a->nodes[parent].last].next = id;
    else
        a->nodes[parent].first = id;
    a->nodes[parent].last = id;
    return id;
}

/* Adds entry `index` under its split name; 0 when it is left out. Folders are
 * made only once the path has left the existing tree, where nothing can
 * conflict with the entry any more. */
static int add_entry(archive *a, long index, const char *name, size_t len)
{
    const char *end = name + len, *p = name, *part, *next;
    size_t part_len, next_len;
    long at = 0, found;
    int fresh = 0;
    while ((part = next_part(&p, end, &part_len)) != NULL)
        if (!openable_part(part, part_len))
            return 0;
    p = name;
    if ((part = next_part(&p, end, &part_len)) == NULL)
        return 0;
    for (;;) {
        next = next_part(&p, end, &next_len);
        found = fresh ? -1 : child_named(a, at, part, part_len);
        if (next == NULL) {
            if (found >= 0)
                return 0;
            add_node(a, at, part, part_len, index);
            return 1;
        }
        if (found >= 0 && a->nodes[found].entry >= 0)
            return 0;
        if (found < 0) {
            found = add_node(a, at, part, part_len, -1);
            fresh = 1;
        }
        at = found;
        part = next;
        part_len = next_len;
    }
}

static void free_tree(archive *a)
{
    size_t i;
    for (i = 0; i < a->name_count; ++i)
        free(a->names[i]);
    free(a->names);
    free(a->nodes);
    free(a->slots);
    free(a);
}

/* The pack's tree, or NULL when memory runs out (the pack stays open). */
static archive *build_tree(wfpak_pack *pack)
{
    const size_t count = wfpak_count(pack);
    size_t i, parts = 1, slots = 2, part_len;
    size_t *lens = (size_t *)calloc(count + 1, sizeof *lens);
    archive *a = (archive *)calloc(1, sizeof *a);
    if (a)
        a->names = (char **)calloc(count + 1, sizeof *a->names);
    if (!lens || !a || !a->names)
        goto failed;
    for (i = 0; i < count; ++i, ++a->name_count) {
        const char *p, *end;
        if ((a->names[i] = split_name(wfpak_name(pack, i), &lens[i])) == NULL)
            goto failed;
        for (p = a->names[i], end = p + lens[i]; next_part(&p, end, &part_len) != NULL;)
            ++parts;
    }
    while (slots < 2 * parts)
        slots *= 2;
    a->nodes = (node *)malloc(parts * sizeof *a->nodes);
    a->slots = (long *)malloc(slots * sizeof *a->slots);
    if (!a->nodes || !a->slots)
        goto failed;
    memset(a->slots, 0xFF, slots * sizeof *a->slots); /* all -1 */
    a->mask = slots - 1;
    a->nodes[0].name = "";
    a->nodes[0].len = 0;
    a->nodes[0].parent = a->nodes[0].first = a->nodes[0].last = a->nodes[0].next = a->nodes[0].entry = -1;
    a->count = 1;
    for (i = 0; i < count; ++i) {
        if (!add_entry(a, (long)i, a->names[i], lens[i])) {
            free(a->names[i]);
            a->names[i] = NULL;
        }
    }
    free(lens);
    a->pack = pack;
    return a;
failed:
    free(lens);
    if (a)
        free_tree(a);
    return NULL;
}

/* The node of a path as PhysicsFS passes it ("" is the root, parts joined by
 * single '/'), or -1. */
static long node_at(const archive *a, const char *path)
{
    long at = 0;
    while (*path && at >= 0) {
        const char *slash = strchr(path, '/');
        const size_t len = slash ? (size_t)(slash - path) : strlen(path);
        at = child_named(a, at, path, len);
        path += slash ? len + 1 : len;
    }
    return at;
}

/* ---------------------------------------------------------------- open files */

/* Each open file keeps its own position and reads the shared pack by
 * position, so files never disturb one another, on any thread. */
typedef struct {
    const wfpak_pack *pack;
    size_t index;
    PHYSFS_uint64 size, pos;
} open_file;

static PHYSFS_sint64 file_read(PHYSFS_Io *io, void *buffer, PHYSFS_uint64 len)
{
    open_file *f = (open_file *)io->opaque;
    int64_t n;
    if (len > f->size - f->pos)
        len = f->size - f->pos;
    if (len == 0)
        return 0;
    n = wfpak_read(f->pack, f->index, f->pos, buffer, (size_t)len);
    if (n < 0) {
        PHYSFS_setErrorCode(PHYSFS_ERR_IO);
        return -1;
    }
    f->pos += (PHYSFS_uint64)n;
    return n;
}

static PHYSFS_sint64 read_only_write(PHYSFS_Io *io, const void *buffer, PHYSFS_uint64 len)
{
    (void)io;
    (void)buffer;
    (void)len;
    PHYSFS_setErrorCode(PHYSFS_ERR_READ_ONLY);
    return -1;
}

static int file_seek(PHYSFS_Io *io, PHYSFS_uint64 offset)
{
    open_file *f = (open_file *)io->opaque;
    if (offset > f->size) {
        PHYSFS_setErrorCode(PHYSFS_ERR_PAST_EOF);
        return 0;
    }
    f->pos = offset;
    return 1;
}

static PHYSFS_sint64 file_tell(PHYSFS_Io *io)
{
    return (PHYSFS_sint64)((open_file *)io->opaque)->pos;
}

static PHYSFS_sint64 file_length(PHYSFS_Io *io)
{
    return (PHYSFS_sint64)((open_file *)io->opaque)->size;
}

static PHYSFS_Io *file_duplicate(PHYSFS_Io *io);

static int nothing_to_flush(PHYSFS_Io *io)
{
    (void)io;
    return 1;
}

static void file_destroy(PHYSFS_Io *io)
{
    free(io->opaque);
    free(io);
}

static const PHYSFS_Io file_ops = {0, NULL, file_read, read_only_write, file_seek, file_tell,
                                   file_length, file_duplicate, nothing_to_flush, file_destroy};

static PHYSFS_Io *open_entry(const wfpak_pack *pack, size_t index)
{
    PHYSFS_Io *io = (PHYSFS_Io *)malloc(sizeof *io);
    open_file *f = (open_file *)malloc(sizeof *f);
    if (!io || !f) {
        free(io);
        free(f);
        PHYSFS_setErrorCode(PHYSFS_ERR_OUT_OF_MEMORY);
        return NULL;
    }
    f->pack = pack;
    f->index = index;
    f->size = wfpak_size(pack, index);
    f->pos = 0;
    *io = file_ops;
    io->opaque = f;
    return io;
}

/* A copy starts at the entry's first byte, as a file opened again does. */
static PHYSFS_Io *file_duplicate(PHYSFS_Io *io)
{
    const open_file *f = (const open_file *)io->opaque;
    return open_entry(f->pack, f->index);
}

/* ---------------------------------------------------------------- archiver */

static PHYSFS_EnumerateCallbackResult pack_enumerate(void *opaque, const char *dirname, PHYSFS_EnumerateCallback cb,
                                                     const char *origdir, void *callbackdata)
{
    const archive *a = (const archive *)opaque;
    const long dir = node_at(a, dirname);
    long child;
    if (dir < 0 || a->nodes[dir].entry >= 0) {
        PHYSFS_setErrorCode(PHYSFS_ERR_NOT_FOUND);
        return PHYSFS_ENUM_ERROR;
    }
    for (child = a->nodes[dir].first; child >= 0; child = a->nodes[child].next) {
        const PHYSFS_EnumerateCallbackResult r = cb(callbackdata, origdir, a->nodes[child].name);
        if (r == PHYSFS_ENUM_ERROR)
            PHYSFS_setErrorCode(PHYSFS_ERR_APP_CALLBACK);
        if (r != PHYSFS_ENUM_OK)
            return r;
    }
    return PHYSFS_ENUM_OK;
}

static PHYSFS_Io *pack_open_read(void *opaque, const char *name)
{
    const archive *a = (const archive *)opaque;
    const long at = node_at(a, name);
    if (at < 0 || a->nodes[at].entry < 0) {
        PHYSFS_setErrorCode(at < 0 ? PHYSFS_ERR_NOT_FOUND : PHYSFS_ERR_NOT_A_FILE);
        return NULL;
    }
    return open_entry(a->pack, (size_t)a->nodes[at].entry);
}

static PHYSFS_Io *pack_open_write(void *opaque, const char *name)
{
    (void)opaque;
    (void)name;
    PHYSFS_setErrorCode(PHYSFS_ERR_READ_ONLY);
    return NULL;
}

static int pack_change(void *opaque, const char *name)
{
    (void)opaque;
    (void)name;
    PHYSFS_setErrorCode(PHYSFS_ERR_READ_ONLY);
    return 0;
}

static int pack_stat(void *opaque, const char *name, PHYSFS_Stat *st)
{
    const archive *a = (const archive *)opaque;
    const long at = node_at(a, name);
    if (at < 0) {
        PHYSFS_setErrorCode(PHYSFS_ERR_NOT_FOUND);
        return 0;
    }
    st->filetype = a->nodes[at].entry >= 0 ? PHYSFS_FILETYPE_REGULAR : PHYSFS_FILETYPE_DIRECTORY;
    st->filesize = a->nodes[at].entry >= 0 ? (PHYSFS_sint64)wfpak_size(a->pack, (size_t)a->nodes[at].entry) : -1;
    st->modtime = st->createtime = st->accesstime = -1; /* a pack records no times */
    st->readonly = 1;
    return 1;
}

static void pack_close(void *opaque)
{
    archive *a = (archive *)opaque;
    wfpak_close(a->pack);
    free_tree(a);
}

/* The hand-off: an empty stream, so that no other archiver recognises it,
 * carrying the pack wfpak_physfs_mount opened. */
typedef struct {
    wfpak_pack *pack; /* NULL once an archive has taken it */
} hand_off;

static void hand_off_destroy(PHYSFS_Io *io)
{
    hand_off *h = (hand_off *)io->opaque;
    wfpak_close(h->pack);
    free(h);
    free(io);
}

static void *pack_open_archive(PHYSFS_Io *io, const char *name, int for_write, int *claimed)
{
    hand_off *h;
    archive *a;
    (void)name;
    if (io->destroy != hand_off_destroy) {
        PHYSFS_setErrorCode(PHYSFS_ERR_UNSUPPORTED);
        return NULL;
    }
    *claimed = 1;
    h = (hand_off *)io->opaque;
    if (for_write || !h->pack) {
        PHYSFS_setErrorCode(PHYSFS_ERR_READ_ONLY);
        return NULL;
    }
    if ((a = build_tree(h->pack)) == NULL) {
        PHYSFS_setErrorCode(PHYSFS_ERR_OUT_OF_MEMORY);
        return NULL;
    }
    h->pack = NULL;
    return a;
}

static PHYSFS_sint64 empty_read(PHYSFS_Io *io, void *buffer, PHYSFS_uint64 len)
{
    (void)io;
    (void)buffer;
    (void)len;
    return 0;
}

static int empty_seek(PHYSFS_Io *io, PHYSFS_uint64 offset)
{
    (void)io;
    if (offset != 0)
        PHYSFS_setErrorCode(PHYSFS_ERR_PAST_EOF);
    return offset == 0;
}

static PHYSFS_sint64 empty_tell(PHYSFS_Io *io)
{
    (void)io;
    return 0;
}

static PHYSFS_Io *no_duplicate(PHYSFS_Io *io)
{
    (void)io;
    PHYSFS_setErrorCode(PHYSFS_ERR_UNSUPPORTED);
    return NULL;
}

static const PHYSFS_Io hand_off_ops = {0, NULL, empty_read, read_only_write, empty_seek, empty_tell,
                                       empty_tell, no_duplicate, nothing_to_flush, hand_off_destroy};

static const PHYSFS_Archiver pack_archiver = {
    0,
    {WFPAK_PHYSFS_ARCHIVE_EXT, "Wrenfold pack, mounted by wfpak_physfs_mount", "Wrenfold developers", "", 0},
    pack_open_archive, pack_enumerate, pack_open_read, pack_open_write, pack_open_write,
    pack_change, pack_change, pack_stat, pack_close};

/* ---------------------------------------------------------------- mount */

static int failed(PHYSFS_ErrorCode code)
{
    PHYSFS_setErrorCode(code);
    return 0;
}

static PHYSFS_ErrorCode open_error(int rc, const char *path)
{
    FILE *file;
    if (rc == WFPAK_ENOMEM)
        return PHYSFS_ERR_OUT_OF_MEMORY;
    if (rc != WFPAK_EIO)
        return PHYSFS_ERR_CORRUPT;
    errno = 0;
    if ((file = fopen(path, "rb")) != NULL) {
        fclose(file);
        return PHYSFS_ERR_IO;
    }
    return errno == ENOENT ? PHYSFS_ERR_NOT_FOUND : errno == EACCES ? PHYSFS_ERR_PERMISSION : PHYSFS_ERR_IO;
}

int wfpak_physfs_mount(const char *path, const char *basic_key, const char *header_mask,
                       const char *mount_point, int append_to_path)
{
    const PHYSFS_ErrorCode before = PHYSFS_getLastErrorCode();
    wfpak_pack *pack = NULL;
    PHYSFS_Io *io;
    hand_off *h;
    int rc;
    if (!path)
        return failed(PHYSFS_ERR_INVALID_ARGUMENT);
    if (!PHYSFS_isInit())
        return 0; /* PhysicsFS can keep no error code before PHYSFS_init */
    /* Registered once per PHYSFS_init; later mounts find it there. */
    if (!PHYSFS_registerArchiver(&pack_archiver) && (rc = (int)PHYSFS_getLastErrorCode()) != PHYSFS_ERR_DUPLICATE)
        return failed((PHYSFS_ErrorCode)rc);
    rc = wfpak_open_file(&pack, path, basic_key, header_mask);
    if (rc != WFPAK_OK) {
        wfpak_close(pack);
        return failed(open_error(rc, path));
    }
    io = (PHYSFS_Io *)malloc(sizeof *io);
    h = (hand_off *)malloc(sizeof *h);
    if (!io || !h) {
        free(io);
        free(h);
        wfpak_close(pack);
        return failed(PHYSFS_ERR_OUT_OF_MEMORY);
    }
    h->pack = pack;
    *io = hand_off_ops;
    io->opaque = h;
    /* PhysicsFS keeps no hold on the Io once mounted. When `path` was already
     * mounted it returns success without asking an archiver: the pack is
     * still in the hand-off and is closed with it. */
    rc = PHYSFS_mountIo(io, path, mount_point, append_to_path);
    if (rc) {
        (void)PHYSFS_getLastErrorCode(); /* other archivers' refusals are no error */
        PHYSFS_setErrorCode(before);
    }
    hand_off_destroy(io);
    return rc;
}
