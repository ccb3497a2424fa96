#pragma once
// Data.Pak, the contract with the game's reading routines.
//
//   offset 0       header word: C XOR M (C = 1-based position of the count word)
//   4              leading filler, 0..499 bytes, each 0..254 (see kLeadingFillerHighest)
//   4 + J1         member data back to back (each masked with the key cycle)
//   C - 1          count word N (never masked)
//   C + 3          index: N x (name CR offset CR size CR), masked as one run
//   ...            trailing filler, 0..499 bytes, each 0..253
//
// Words are 32-bit little-endian. Offsets in the index count from 0.
// Appended to an executable of length E, the pack starts at offset E and is
// followed by the trailer word (E + 1 + M) mod 2^32 and "QUILDX"; a reader
// takes word - M - 1 as the pack's offset in the executable.
#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QtGlobal>
#include <array>
#include <wfpak/PakLimits.h>

namespace wf {

class RandomSource;

// The limits are the reader's: one header for the writer and the game.
inline constexpr int kMaxPackFiles = int(wfpak::kMaxEntries);
// Offsets, sizes and positions are signed 32-bit in the format.
inline constexpr qint64 kMaxPackBytes = wfpak::kMaxWord;
inline constexpr int kMaxFillerLength = int(wfpak::kMaxFiller);
// The highest byte each filler holds. Packs have always drawn the leading
// filler's bytes from 255 values and the trailing filler's from 254; keeping
// both ranges keeps new packs of the kind games already ship, and lets
// `verify` take any byte above them for damage.
inline constexpr int kLeadingFillerHighest = 254;
inline constexpr int kTrailingFillerHighest = 253;
using wfpak::kTrailerMarker;
inline constexpr int kTrailerLength = int(wfpak::kTrailerLength);

// The key cycle: byte j of a run is XORed with K(3 - j mod 4), so each run
// starts with K3. Each member's data is a run of its own; the index is one run.
class KeyCycle {
public:
    KeyCycle() = default;
    explicit KeyCycle(const std::array<quint8, 4> &key) : m_key(key) {}
    // Masks `len` bytes, continuing the current run, with the reader's own
    // cycle (vectors at a time: byte-wise masking would be the slowest step
    // of a build).
    void apply(char *data, qint64 len);

private:
    std::array<quint8, 4> m_key{};
    int m_phase = 0;
};

// What a build reads from the security options, once, at its start.
struct PackKey {
    bool encrypted = false;
    std::array<quint8, 4> bytes{}; // K0..K3
    quint32 mask = 0;              // M; 0 without encryption
};

QByteArray leWord(quint32 value);

// Writes all `len` bytes, retrying short writes; false on the first failure.
bool writeAll(QIODevice &out, const char *data, qint64 len);
QByteArray leadingFiller(RandomSource &random);
QByteArray trailingFiller(RandomSource &random);

// Trailer word for a pack appended at offset `exeLength`.
quint32 trailerWord(qint64 exeLength, quint32 mask);

} // namespace wf
