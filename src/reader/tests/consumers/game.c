/* A C game: reads every entry of the pack named by argv[1]. */
#include <wfpak/wfpak.h>
#include <stdio.h>

int main(int argc, char **argv)
{
    static char buffer[70000];
    wfpak_pack *pack = NULL;
    size_t k;
    int ok = argc == 2 && wfpak_open_file(&pack, argv[1], NULL, NULL) == WFPAK_OK;
    for (k = 0; ok && k < wfpak_count(pack); ++k)
        ok = wfpak_read(pack, k, 0, buffer, sizeof buffer) == (int64_t)wfpak_size(pack, k);
    printf("game.c: %u entries, %s\n", (unsigned)wfpak_count(pack), ok ? "read" : wfpak_errmsg(pack));
    wfpak_close(pack);
    return ok ? 0 : 1;
}
