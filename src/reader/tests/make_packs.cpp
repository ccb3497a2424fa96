// Writes the packs the C and Python tests read into the folder named by the
// first argument: plain.pak, masked.pak and game.exe (masked, appended),
// each holding packmaker::sample(12).
#include "PackMaker.h"
#include "TestFiles.h"
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    const std::string dir = argv[1];
    testfiles::fs::create_directories(testfiles::fromUtf8(dir));
    const auto members = packmaker::sample(12);
    const bool ok = testfiles::writeFile(dir + "/plain.pak", packmaker::pack(members, false))
            && testfiles::writeFile(dir + "/masked.pak", packmaker::pack(members, true))
            && testfiles::writeFile(dir + "/game.exe", packmaker::appended("MZ stand-in", packmaker::pack(members, true), true));
    if (!ok)
        std::fprintf(stderr, "make_packs: cannot write in %s\n", dir.c_str());
    return ok ? 0 : 1;
}
