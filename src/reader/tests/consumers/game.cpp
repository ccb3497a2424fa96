// A C++ game: the same through <wfpak/PakReader.h>.
#include <wfpak/PakReader.h>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    wfpak::Pack pack;
    if (argc != 2 || !pack.openFile(argv[1])) {
        std::fprintf(stderr, "game.cpp: %s\n", pack.errorText().c_str());
        return 1;
    }
    std::vector<char> data;
    for (const wfpak::Entry &e : pack.entries()) {
        data.resize(e.size);
        if (!pack.read(e, data.data(), data.size()))
            return 1;
    }
    std::printf("game.cpp: %zu entries\n", pack.entries().size());
    return pack.find("DATA/DIR1/FILE1.BIN") ? 0 : 1;
}
