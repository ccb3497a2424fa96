#pragma once
// Packs stacked in an executable: each append writes a new pack and
// trailer after the previous trailer, and a game reads only the newest.
// Following each trailer down finds them all and the executable's bytes
// from before the first append.
#include <wfpak/PakReader.h>
#include <vector>

namespace wf {

struct StackedPack {
    std::uint64_t start = 0; // the pack's first byte in the file
    std::uint64_t end = 0;   // one past its trailer
    std::uint32_t count = 0; // entries
};

struct PackChain {
    std::vector<StackedPack> packs; // newest first
    std::uint64_t base = 0;         // bytes before the oldest pack: the file before the first append
};

// Follows the trailers down from the first `end` bytes of `source`, for as
// long as they end in "QUILDX". False, with `error`, when one of them does
// not lead to a complete pack (header, count, index, fillers of at most 499
// bytes) that reads with `key`: the chain cannot be trusted then.
bool readPackChain(wfpak::Source &source, std::uint64_t end, const wfpak::Key &key, PackChain &chain,
                   std::string &error);

// For verify: what lies below the newest pack of a file, which starts at
// `newestStart`: the earlier packs stacked there and the bytes they take,
// which the game can never read; empty when there are none.
std::string stackedPacksNote(wfpak::Source &source, std::uint64_t newestStart, const wfpak::Key &key);

} // namespace wf
