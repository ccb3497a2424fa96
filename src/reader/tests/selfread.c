#if !defined(_WIN32)
#define _POSIX_C_SOURCE 200112L /* readlink */
#endif
/* A stand-in game in C: reads the pack appended to its own executable
 * (masked, key texts as the initialisation line gives them). Exit status 0
 * when every entry reads as the test wrote it. */
#include <wfpak/wfpak.h>
#include <stdio.h>
#include <string.h>
#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

static int selfPath(char *out, size_t size)
{
#if defined(_WIN32)
    wchar_t wide[32768];
    DWORD n = GetModuleFileNameW(NULL, wide, 32768);
    return n > 0 && WideCharToMultiByte(CP_UTF8, 0, wide, (int)n + 1, out, (int)size, NULL, NULL) > 0;
#else
    ssize_t n = readlink("/proc/self/exe", out, size - 1);
    if (n <= 0)
        return 0;
    out[n] = '\0';
    return 1;
#endif
}

int main(void)
{
    static char path[4 * 32768];
    wfpak_pack *pack = NULL;
    char data[16];
    long found;
    if (!selfPath(path, sizeof path))
        return 2;
    if (wfpak_open_file(&pack, path, "$11224488", "$80000001") != 0) {
        fprintf(stderr, "selfread: %s\n", wfpak_errmsg(pack));
        wfpak_close(pack);
        return 3;
    }
    found = wfpak_find(pack, "levels/One.txt");
    if (wfpak_count(pack) != 2 || found != 1 || wfpak_read(pack, 1, 0, data, sizeof data) != 9
        || memcmp(data, "level one", 9) != 0) {
        wfpak_close(pack);
        return 4;
    }
    wfpak_close(pack);
    return 0;
}
