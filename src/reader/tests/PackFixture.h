// Packs for the adapters' tests: a small game project built by the real
// wrenfold-pak, plain and masked, stand-alone and appended to an executable.
#pragma once
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace fixture {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// The key and mask the masked project is built with, as the tool's boxes
// hold them; the tests pass them as the initialisation line does ("$...").
constexpr const char *kKey = "3A7C19E4";
constexpr const char *kMask = "5B19C7E4";

// The project's files, relative names with '/' (the tool stores '\').
// Folders two deep, an empty file, a file over the reader's 64 KiB chunk,
// a name that is UTF-8 beyond ASCII.
std::vector<std::pair<std::string, Bytes>> projectFiles();

struct Packs {
    fs::path plainDir;  // plainDir/Data.Pak, built without encryption
    fs::path maskedDir; // maskedDir/Data.Pak and maskedDir/Game.exe, masked
    fs::path plainPak() const { return plainDir / "Data.Pak"; }
    fs::path maskedPak() const { return maskedDir / "Data.Pak"; }
    fs::path maskedExe() const { return maskedDir / "Game.exe"; }
};

// Writes both projects under `scratch` (emptied first) and runs `tool build`
// in each; `executable` becomes Game.exe before the append. False, with the
// reason on standard error, when something failed.
bool buildPacks(const std::string &tool, const fs::path &scratch, const fs::path &executable, Packs &packs);

Bytes readFile(const fs::path &path);
void writeFile(const fs::path &path, const Bytes &bytes);

// A stand-alone pack of the given names and contents, written here without
// the tool (plain, no fillers): for names the tool never writes.
Bytes plainPack(const std::vector<std::pair<std::string, Bytes>> &entries);

// Checks that count their failures and keep going.
extern int failures;
bool check(bool ok, const char *what, const char *file, int line);
#define CHECK(cond) fixture::check((cond), #cond, __FILE__, __LINE__)
#define CHECK_EQ(a, b) fixture::check((a) == (b), #a " == " #b, __FILE__, __LINE__)

} // namespace fixture
