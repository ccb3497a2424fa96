// A C++ game: the same through <wfpak/PakReader.h>.
#include <wfpak/PakReader.h>
#include <cstdio>

int main(int argc, char **argv)
{
    wfpak::Pack pack;
    bool ok = argc == 2 && pack.openFile(argv[1]) && pack.find("DATA/DIR1/bYfile1.bin");
    std::string data;
    for (const wfpak::Entry &e : pack.entries()) {
        data.resize(e.size);
        ok = ok && pack.read(e, &data[0], data.size());
    }
    std::printf("game.cpp: %zu entries, %s\n", pack.entries().size(), ok ? "read" : pack.errorText().c_str());
    return ok ? 0 : 1;
}
