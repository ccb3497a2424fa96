/*
 * The rules for the Basic Key and Header Mask texts, one copy for the game
 * and the tool. Copyright (c) 2026 Wrenfold developers. zlib licence: see
 * PakReader.h.
 */
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace wfpak {

// Spaces, tabs and line feeds are skipped wherever they stand; hexadecimal
// digits of either case are read up to the first other character (no digit
// gives 0); at most eight significant digits count, further ones are
// ignored. Up to FFFF the value is a signed 16-bit number, above it a signed
// 32-bit number.
std::int32_t hexval(const std::string &text);

// The text as the tool's boxes count characters (UTF-16 units): ASCII stays,
// each other unit becomes 0x80, which is no digit. An invalid byte counts one.
std::string utf16Units(const std::string &utf8);

// K0..K3 from a Basic Key text as the box holds it (UTF-8): K0 is hexval of
// characters 1-2, K1 of 3-4, K2 of 5-6, K3 of 7-8, characters counted as
// UTF-16 units (a slice past the end is what remains, maybe empty).
std::array<std::uint8_t, 4> keyBytesFromText(const std::string &basicKey);

// Masks or unmasks (the same XOR) `len` bytes of a run: byte j of the run
// is XORed with K(3 - j mod 4); `runPos` is the j of data[0].
void applyKeyCycle(unsigned char *data, std::size_t len, std::uint64_t runPos, const std::array<std::uint8_t, 4> &key);

} // namespace wfpak
