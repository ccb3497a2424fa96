/* A stand-in game in C: reads the pack appended to its own executable
 * (masked, key texts as the initialisation line gives them). Exit status 0
 * when every entry reads as the test wrote it, 3 when there is no pack. */
#include <wfpak/wfpak.h>
#include <stdio.h>
#include <string.h>
#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

int main(void)
{
    static char path[4 * 32768];
    wfpak_pack *pack = NULL;
    char data[16];
    int status;
#if defined(_WIN32)
    static wchar_t wide[32768];
    const DWORD n = GetModuleFileNameW(NULL, wide, 32768);
    if (n == 0 || WideCharToMultiByte(CP_UTF8, 0, wide, (int)n + 1, path, (int)sizeof path, NULL, NULL) <= 0)
        return 2;
#else
    if (readlink("/proc/self/exe", path, sizeof path - 1) <= 0)
        return 2;
#endif
    if (wfpak_open_file(&pack, path, "$11224488", "$80000001") != 0)
        fprintf(stderr, "selfread: %s\n", wfpak_errmsg(pack));
    status = wfpak_count(pack) == 0 ? 3
             : wfpak_count(pack) == 2 && wfpak_find(pack, "levels/One.txt") == 1 && wfpak_read(pack, 1, 0, data, sizeof data) == 9
                     && memcmp(data, "level one", 9) == 0 ? 0 : 4;
    wfpak_close(pack);
    return status;
}
