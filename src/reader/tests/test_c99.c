/* The C interface from strict C99: the packs make_packs wrote (folder in
 * argv[1]) read whole and in pieces, compared with what was written. */
#include <wfpak/wfpak.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int failures = 0;
#define CHECK(cond) ((cond) ? 1 : (++failures, fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond), 0))

/* packmaker::sample and packmaker::content, in C. */
static size_t sampleSize(size_t k)
{
    return k % 7 == 0 ? 0 : (k * 7919) % 70000;
}

static unsigned char contentByte(size_t k, size_t i)
{
    return (unsigned char)(((uint32_t)i * 2654435761u) >> 24 ^ (k * 17 & 0xFF));
}

static void readPack(const char *dir, const char *file, const char *key, const char *mask)
{
    char path[4096];
    wfpak_pack *pack = NULL;
    unsigned char *buffer = malloc(70000);
    size_t k, i;
    sprintf(path, "%.4000s/%s", dir, file);
    if (!CHECK(wfpak_open_file(&pack, path, key, mask) == WFPAK_OK) || !CHECK(wfpak_count(pack) == 12)) {
        fprintf(stderr, "  %s: %s\n", path, wfpak_errmsg(pack));
        wfpak_close(pack);
        free(buffer);
        return;
    }
    CHECK(wfpak_errmsg(pack)[0] == '\0');
    for (k = 0; k < 12; ++k) {
        char name[64];
        int64_t got;
        size_t same = 0;
        sprintf(name, "DATA/dir%u/file%u.BIN", (unsigned)(k % 5), (unsigned)k);
        CHECK(wfpak_find(pack, name) == (long)k);
        CHECK(wfpak_size(pack, k) == sampleSize(k));
        got = wfpak_read(pack, k, 0, buffer, 70000);
        CHECK(got == (int64_t)sampleSize(k));
        for (i = 0; got > 0 && i < (size_t)got; ++i)
            same += buffer[i] == contentByte(k, i);
        CHECK(same == sampleSize(k));
        if (sampleSize(k) > 10) { /* a piece at an odd offset */
            CHECK(wfpak_read(pack, k, 5, buffer, 3) == 3 && buffer[0] == contentByte(k, 5) && buffer[2] == contentByte(k, 7));
        }
    }
    CHECK(wfpak_read(pack, 12, 0, buffer, 1) == -1);
    wfpak_close(pack);
    free(buffer);
}

int main(int argc, char **argv)
{
    wfpak_pack *pack = NULL;
    if (argc != 2)
        return 2;
    readPack(argv[1], "plain.pak", NULL, NULL);
    readPack(argv[1], "masked.pak", "$11224488", "$80000001");
    readPack(argv[1], "game.exe", "11224488", "80000001");
    CHECK(wfpak_open_file(&pack, "no/such/file", NULL, NULL) == WFPAK_EIO && pack != NULL);
    wfpak_close(pack);
    printf("%s, C99: %d failed checks\n", wfpak_version(), failures);
    return failures == 0 ? 0 : 1;
}
