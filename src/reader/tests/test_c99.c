/* The C interface from strict C99: the packs make_packs wrote (folder in
 * argv[1]) read whole and in pieces, compared with what was written; reads
 * at and past an entry's end, indexes past the count, a failed open. */
#include <wfpak/wfpak.h>
#include <stdio.h>
#include <string.h>

static int failures = 0;
#define CHECK(cond) ((cond) ? 1 : (++failures, fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond), 0))

/* packmaker::sample(12) and packmaker::content, in C. */
static unsigned char contentByte(size_t k, size_t i)
{
    return (unsigned char)(((uint32_t)i * 2654435761u) >> 24 ^ (k * 17 & 0xFF));
}

static void readPack(const char *dir, const char *file, const char *key, const char *mask)
{
    static unsigned char buffer[70000];
    char path[4096], name[64];
    wfpak_pack *pack = NULL;
    size_t k, i;
    sprintf(path, "%.4000s/%s", dir, file);
    if (!CHECK(wfpak_open_file(&pack, path, key, mask) == WFPAK_OK && wfpak_count(pack) == 12 && !*wfpak_errmsg(pack)))
        fprintf(stderr, "  %s: %s\n", path, wfpak_errmsg(pack));
    for (k = 0; k < wfpak_count(pack); ++k) {
        const size_t size = k % 7 == 0 ? 0 : (k * 7919) % 70000;
        /* the stored name, letters and slashes swapped */
        sprintf(name, "DATA/DIR%u/%c%cfILE%u.BIN", (unsigned)(k % 5), 'a' + (int)k, 'Z' - (int)k, (unsigned)k);
        CHECK(wfpak_find(pack, name) == (long)k && wfpak_size(pack, k) == size);
        CHECK(wfpak_read(pack, k, 0, buffer, sizeof buffer) == (int64_t)size);
        for (i = 0; i < size && buffer[i] == contentByte(k, i);)
            ++i;
        CHECK(i == size);
        CHECK(wfpak_read(pack, k, size, buffer, 16) == 0 && wfpak_read(pack, k, size + 1, buffer, 16) == -1);
        if (size > 10) /* a piece at an odd offset, and one cut short by the end */
            CHECK(wfpak_read(pack, k, 5, buffer, 3) == 3 && buffer[0] == contentByte(k, 5) && buffer[2] == contentByte(k, 7)
                  && wfpak_read(pack, k, size - 2, buffer, 16) == 2 && buffer[1] == contentByte(k, size - 1));
    }
    CHECK(wfpak_read(pack, 12, 0, buffer, 1) == -1 && !wfpak_name(pack, 12) && !wfpak_size(pack, 12) && wfpak_find(pack, "dat") == -1);
    wfpak_close(pack);
}

int main(int argc, char **argv)
{
    wfpak_pack *pack = NULL;
    char buffer[4];
    if (argc != 2)
        return 2;
    readPack(argv[1], "plain.pak", NULL, NULL);
    readPack(argv[1], "masked.pak", "$11224488", "$80000001");
    readPack(argv[1], "game.exe", "112244889", "8000 00017"); /* spaces skipped, a ninth digit ignored */
    /* A failed open: *pack set, a code and a message, nothing to read. */
    CHECK(wfpak_open_file(&pack, "no/such/file", NULL, NULL) == WFPAK_EIO && pack != NULL && *wfpak_errmsg(pack));
    CHECK(wfpak_count(pack) == 0 && wfpak_read(pack, 0, 0, buffer, 1) == -1 && wfpak_find(pack, "x") == -1);
    wfpak_close(pack);
    CHECK(strchr(wfpak_version(), '.') != NULL);
    printf("%s, C99: %d failed checks\n", wfpak_version(), failures);
    return failures == 0 ? 0 : 1;
}
