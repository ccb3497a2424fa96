/* A C game: lists the pack named by argv[1] and reads its entries. */
#include <wfpak/wfpak.h>
#include <stdio.h>

int main(int argc, char **argv)
{
    static char buffer[70000];
    wfpak_pack *pack = NULL;
    size_t k;
    if (argc != 2 || wfpak_open_file(&pack, argv[1], NULL, NULL) != 0) {
        fprintf(stderr, "game.c: %s\n", pack ? wfpak_errmsg(pack) : "usage: game PACK");
        wfpak_close(pack);
        return 1;
    }
    for (k = 0; k < wfpak_count(pack); ++k) {
        if (wfpak_read(pack, k, 0, buffer, sizeof buffer) != (int64_t)wfpak_size(pack, k))
            return 1;
    }
    printf("game.c: %u entries\n", (unsigned)wfpak_count(pack));
    wfpak_close(pack);
    return 0;
}
