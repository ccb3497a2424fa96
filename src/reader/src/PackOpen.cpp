/*
 * Wrenfold pack reader: finding and parsing a pack. Copyright (c) 2026
 * Wrenfold developers. zlib licence: see PakReader.h.
 *
 * Data.Pak, as the tool writes it (32-bit little-endian words):
 *
 *   offset 0       header word: C XOR M (C = 1-based position of the count word)
 *   4              leading filler, 0..499 bytes
 *   4 + J1         member data back to back, each masked as a run of its own
 *   C - 1          count word N (never masked)
 *   C + 3          index: N x (name CR offset CR size CR), masked as one run
 *   ...            trailing filler, 0..499 bytes
 *
 * Masking XORs byte j of a run with K(3 - j mod 4). Appended to an
 * executable, the pack is followed by a trailer: a word (pack offset + 1 +
 * M, mod 2^32) and "QUILDX".
 */
#include "Internal.h"
#include <algorithm>
#include <cstring>

namespace wfpak {

using detail::le32;
using detail::num;
using detail::shown;

namespace {

constexpr std::uint64_t kMinPack = 8;  // header word and count word
constexpr std::uint64_t kMinEntry = 5; // "" CR "0" CR "0" CR
constexpr std::size_t kChunk = 64 * 1024;

std::string withoutDollar(const std::string &text)
{
    return !text.empty() && text[0] == '$' ? text.substr(1) : text;
}

// A source that refuses reads once `budget` bytes have been read through
// it: the backward trailer search's candidates share one file's worth.
class BudgetSource final : public Source {
public:
    BudgetSource(const Source &inner, std::uint64_t budget) : m_inner(inner), m_left(budget) {}
    std::uint64_t size() const override { return m_inner.size(); }
    bool readAt(std::uint64_t offset, void *buffer, std::size_t len) const override
    {
        if (len > m_left) {
            m_exhausted = true;
            return false;
        }
        m_left -= len;
        return m_inner.readAt(offset, buffer, len);
    }
    bool exhausted() const { return m_exhausted; }

private:
    const Source &m_inner;
    mutable std::uint64_t m_left;
    mutable bool m_exhausted = false;
};

} // namespace

Key Key::fromTexts(const std::string &basicKey, const std::string &headerMask)
{
    Key key;
    key.bytes = keyBytesFromText(withoutDollar(basicKey));
    key.mask = static_cast<std::uint32_t>(hexval(withoutDollar(headerMask)));
    return key;
}

Pack::Pack() = default;
Pack::~Pack() = default;
Pack::Pack(Pack &&) noexcept = default;
Pack &Pack::operator=(Pack &&) noexcept = default;

bool Pack::fail(Error error, const std::string &text)
{
    m_error = error;
    m_errorText = text;
    return false;
}

void Pack::reset()
{
    m_source = nullptr;
    m_layout = Layout();
    m_entries.clear();
    m_entries.shrink_to_fit();
    m_table.clear();
    m_table.shrink_to_fit();
    m_error = Error::None;
    m_errorText.clear();
}

bool Pack::openFile(const std::string &path, const Key &key, Find find)
{
    reset();
    m_owned.reset();
    std::string why;
    std::unique_ptr<Source> file = detail::openFileSource(path, why);
    if (!file)
        return fail(Error::Io, "cannot open " + shown(path) + ": " + why);
    if (!open(*file, key, find))
        return false;
    m_owned = std::move(file);
    return true;
}

bool Pack::open(const Source &source, const Key &key, Find find)
{
    if (m_owned.get() != &source)
        m_owned.reset(); // a file openFile kept is done with
    reset();
    m_key = key;
    m_plain = key.bytes == std::array<std::uint8_t, 4>{};
    const std::uint64_t size = source.size();
    bool marked = false;
    if (find != Find::StandAlone && size >= kTrailerLength) {
        unsigned char tail[kTrailerLength];
        if (!source.readAt(size - kTrailerLength, tail, kTrailerLength))
            return fail(Error::Io, "cannot read the file's last ten bytes");
        marked = std::memcmp(tail + 4, kTrailerMarker, 6) == 0;
    }
    if (find == Find::Trailer && !marked)
        return fail(Error::NoTrailer, "the file does not end in the trailer (a word and \"QUILDX\")");
    bool ok = false;
    if (!marked) {
        ok = parse(source, 0, size);
    } else if (openTrailer(source, size - kTrailerLength) || find == Find::Trailer) {
        ok = m_error == Error::None;
    } else {
        // A stand-alone pack's trailing filler may end in "QUILDX" by chance.
        const Error trailerError = m_error;
        const std::string trailerText = m_errorText;
        reset();
        ok = parse(source, 0, size);
        if (!ok)
            return fail(trailerError, trailerText + " (nor does the whole file read as a pack: " + m_errorText + ")");
    }
    if (ok)
        m_source = &source;
    return ok;
}

bool Pack::openTrailer(const Source &source, std::uint64_t trailerStart)
{
    unsigned char wordBytes[4];
    if (!source.readAt(trailerStart, wordBytes, 4))
        return fail(Error::Io, "cannot read the trailer word");
    const std::uint32_t word = le32(wordBytes);
    m_layout.fileSize = source.size();
    const std::uint32_t position = word - m_key.mask; // 1-based position of the pack's first byte
    const std::uint64_t start = std::uint32_t(position - 1);
    if (start + kMinPack > trailerStart) {
        const std::string where = position == 0 || position > kMaxWord ? "before the file's first byte"
                : start >= trailerStart ? "at offset " + num(start) + ", at or past the trailer (offset " + num(trailerStart) + ")"
                : "at offset " + num(start) + ", too close to the trailer (offset " + num(trailerStart) + ") to hold a pack";
        return fail(Error::TrailerOutside,
                    "the trailer word " + num(word) + " puts the pack " + where + ": wrong Header Mask, or damaged");
    }
    m_layout.appended = true;
    m_layout.trailerWord = word;
    // A pack ends where its trailer starts: both its fillers are short.
    return parse(source, start, trailerStart) && checkFillers();
}

bool Pack::checkFillers()
{
    const std::uint64_t leading = leadingFiller(), trailing = m_layout.trailingFiller();
    if (leading <= kMaxFiller && trailing <= kMaxFiller)
        return true;
    m_entries.clear();
    m_table.clear();
    return fail(Error::BadFiller, "the trailer's pack at offset " + num(m_layout.packStart) + " has a "
                        + (leading > kMaxFiller ? "leading filler of " + num(leading) : "trailing filler of " + num(trailing))
                        + " bytes, more than a pack's 499: the pack does not end at the trailer; wrong Header Mask, or "
                          "damaged");
}

bool Pack::openLastTrailer(const Source &source, const Key &key)
{
    if (m_owned.get() != &source)
        m_owned.reset();
    reset();
    m_key = key;
    m_plain = key.bytes == std::array<std::uint8_t, 4>{};
    std::vector<unsigned char> window(std::size_t(std::min<std::uint64_t>(kChunk, source.size())));
    // Each candidate parses a pack that may be as long as the file: together
    // they read at most the file's size, so a file full of markers costs two
    // passes at most. A signature or other tail hides few of them.
    const BudgetSource budget(source, source.size());
    int candidates = 0;
    const int kMaxCandidates = 64;
    // Windows overlap by five bytes so that no marker is split between two.
    for (std::uint64_t hi = source.size(); hi >= 6 && candidates <= kMaxCandidates && !budget.exhausted();) {
        const std::uint64_t lo = hi > window.size() ? hi - window.size() : 0;
        const std::size_t got = std::size_t(hi - lo);
        if (!source.readAt(lo, window.data(), got))
            return fail(Error::Io, "cannot read the file at offset " + num(lo));
        for (std::size_t at = got - 6 + 1; at-- > 0 && !budget.exhausted();) {
            if (std::memcmp(window.data() + at, kTrailerMarker, 6) != 0 || lo + at < 4)
                continue;
            if (++candidates > kMaxCandidates)
                break;
            reset();
            if (openTrailer(budget, lo + at - 4)) {
                m_source = &source;
                return true;
            }
        }
        if (lo == 0)
            break;
        hi = lo + 5;
    }
    reset();
    return fail(Error::NoTrailer, "no \"QUILDX\" in the file follows a word that gives a pack that reads with this key and mask"
                                  + std::string(candidates > kMaxCandidates ? " (gave up after 64 markers)"
                                                : budget.exhausted() ? " (gave up after reading the file's size)" : ""));
}

bool Pack::parse(const Source &source, std::uint64_t start, std::uint64_t end)
{
    m_layout.fileSize = source.size();
    m_layout.packStart = start;
    m_layout.packEnd = end;
    const std::uint64_t size = end - start;
    if (size < kMinPack)
        return fail(Error::TooShort, "the pack has " + num(size) + " bytes; even an empty pack has 8");
    unsigned char wordBytes[4];
    if (!source.readAt(start, wordBytes, 4))
        return fail(Error::Io, "cannot read the header word");
    m_layout.headerWord = le32(wordBytes);
    const std::uint32_t countPos = m_layout.headerWord ^ m_key.mask;
    if (countPos < 5 || countPos > kMaxWord || std::uint64_t(countPos) + 3 > size)
        return fail(Error::HeaderOutside, "the header word puts the count word at position " + num(countPos)
                            + ", outside the pack's " + num(size) + " bytes: wrong Header Mask, or not a pack");
    if (!source.readAt(start + countPos - 1, wordBytes, 4))
        return fail(Error::Io, "cannot read the count word");
    const std::uint32_t count = le32(wordBytes);
    m_layout.countPosition = countPos;
    m_layout.count = count;
    if (count > kMaxWord)
        return fail(Error::BadCount, "the count word is negative: wrong Header Mask, or not a pack");
    if (count > kMaxEntries)
        return fail(Error::BadCount, "the count word says " + num(count)
                            + " files, more than a pack holds (10,000): wrong Header Mask, or not a pack");
    if (count * kMinEntry > size - m_layout.indexStart())
        return fail(Error::BadCount, "the count word says " + num(count) + " files, but the "
                            + num(size - m_layout.indexStart()) + " bytes after it cannot hold their index: "
                            + "the pack is cut short, or not a pack");
    if (!parseIndex(source, start, end)) {
        m_entries.clear();
        m_entries.shrink_to_fit();
        return false;
    }
    buildNameTable();
    return true;
}

} // namespace wfpak
