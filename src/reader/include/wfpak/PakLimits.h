/*
 * Wrenfold pack format limits, shared by the game-side reader and the tool's
 * writer. Copyright (c) 2026 Wrenfold developers. zlib licence: see PakReader.h.
 */
#pragma once
#include <cstdint>

namespace wfpak {

// Entries in one pack.
inline constexpr std::uint32_t kMaxEntries = 10000;
// Each filler (before the first member, after the index) is 0..499 bytes.
inline constexpr std::uint32_t kMaxFiller = 499;
// Positions, offsets and sizes are signed 32-bit words: a pack stays below 2 GiB.
inline constexpr std::uint32_t kMaxWord = 0x7FFFFFFF;
// A name the reader accepts: the index allots no more to one name.
inline constexpr std::uint32_t kMaxName = 65535;
// The trailer after an appended pack: a word and these six letters.
inline constexpr char kTrailerMarker[] = "QUILDX";
inline constexpr std::uint32_t kTrailerLength = 10;

} // namespace wfpak
