// Writes the packs the C and Python tests read into the folder named by the
// first argument: plain.pak, masked.pak and game.exe (masked, appended),
// each holding packmaker::sample(12).
#include "PackMaker.h"
#include "TestFiles.h"

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    const std::string dir = argv[1];
    testfiles::fs::create_directories(testfiles::fs::u8path(dir));
    const auto members = packmaker::sample(12);
    const std::string masked = packmaker::pack(members, true), plain = packmaker::pack(members, false);
    return testfiles::writeFile(dir + "/plain.pak", plain) && testfiles::writeFile(dir + "/masked.pak", masked)
           && testfiles::writeFile(dir + "/game.exe", packmaker::appended("MZ stand-in", masked, true)) ? 0 : 1;
}
