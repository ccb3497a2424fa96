#pragma once
// The game-side reader's figures, each beside its baselines in the same
// run: opening a 10,000-entry pack and looking up every name, and reading
// every entry whole, against the same files loose (fopen/fread), a stored
// zip read through PhysicsFS, and one pass over the pack in 1 MiB reads.
#include <cstdint>
#include <string>
#include <vector>

namespace readerbench {

// A set of files: names relative to `dir` with '/' between folders.
struct Files {
    std::string dir;
    std::vector<std::string> names;
    std::uint64_t bytes = 0;
    std::uint64_t largest = 0;
};

// Each side returns its time in ms, or a negative number when it failed
// (the message then on standard error). Opens and mounts are not timed by
// the read sides: they take an opened pack or a mounted zip.
double readerOpenLookup(const std::string &pack, const Files &files, bool masked);
double physfsOpenLookup(const std::string &zip, const Files &files);
double readerReadAll(const std::string &pack, bool masked, std::uint64_t &checksum);
double physfsReadAll(const std::string &zip, const Files &files, std::uint64_t &checksum);
double looseReadAll(const Files &files, std::uint64_t &checksum);
double sequentialPass(const std::string &path);
// Every entry of a plain pack read with one pread of its own, no reader:
// the fewest system calls reading entry by entry can make.
double entryPreads(const std::string &pack, std::uint64_t &checksum);

// The heap the reader holds for an open pack with every name looked up, in bytes.
std::int64_t readerMemory(const std::string &pack, const Files &files, bool masked);

} // namespace readerbench
