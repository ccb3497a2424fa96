/*
 * Wrenfold pack reader. Copyright (c) 2026 Wrenfold developers.
 * zlib licence: see PakReader.h.
 */
#if !defined(_WIN32) && !defined(_FILE_OFFSET_BITS)
#define _FILE_OFFSET_BITS 64 // 64-bit fseeko/ftello on 32-bit systems too
#endif
#include "PakReader.h"
#include <algorithm>
#include <cstring>
#include <istream>

namespace wfpak {

namespace {

constexpr std::uint32_t kMaxCount = 10000;
constexpr std::uint32_t kMaxWord = 0x7FFFFFFF; // positions, offsets and sizes are signed 32-bit
constexpr std::uint64_t kMinPack = 8;          // header word and count word
constexpr std::uint64_t kMinEntry = 5;         // "" CR "0" CR "0" CR
constexpr char kMarker[] = "QUILDX";
constexpr std::uint64_t kTrailer = 10;
constexpr std::size_t kChunk = 64 * 1024;

std::uint32_t le32(const unsigned char *p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

// Byte j of a run is XORed with K(3 - j mod 4); `j0` is the run index of p[0].
void unmask(unsigned char *p, std::size_t len, std::uint64_t j0, const std::array<std::uint8_t, 4> &k)
{
    for (std::size_t i = 0; i < len; ++i)
        p[i] = static_cast<unsigned char>(p[i] ^ k[3 - ((j0 + i) & 3)]);
}

int hexDigit(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string num(std::uint64_t v)
{
    return std::to_string(v);
}

// A name as messages show it: quoted, control bytes as '?', long ones cut.
std::string shown(const std::string &name)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < name.size() && i < 80; ++i)
        out += static_cast<unsigned char>(name[i]) < 32 ? '?' : name[i];
    return out + (name.size() > 80 ? "...\"" : "\"");
}

std::string folded(const std::string &name)
{
    std::string out = name;
    for (char &c : out) {
        if (c == '/')
            c = '\\';
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string withoutDollar(const std::string &text)
{
    return !text.empty() && text[0] == '$' ? text.substr(1) : text;
}

bool continuation(const std::string &s, std::size_t i)
{
    return i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80;
}

// The text as the tool's boxes count characters (UTF-16 units): ASCII stays,
// each other unit becomes 0x80, which is no digit. An invalid byte counts one.
std::string utf16Units(const std::string &s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const unsigned char d = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
        std::size_t bytes = 1, units = 1;
        if (c >= 0xC2 && c <= 0xDF && continuation(s, i + 1)) {
            bytes = 2;
        } else if (c >= 0xE0 && c <= 0xEF && continuation(s, i + 1) && continuation(s, i + 2)
                   && !(c == 0xE0 && d < 0xA0) && !(c == 0xED && d >= 0xA0)) {
            bytes = 3;
        } else if (c >= 0xF0 && c <= 0xF4 && continuation(s, i + 1) && continuation(s, i + 2)
                   && continuation(s, i + 3) && !(c == 0xF0 && d < 0x90) && !(c == 0xF4 && d >= 0x90)) {
            bytes = 4;
            units = 2;
        }
        out.append(units, c < 0x80 ? static_cast<char>(c) : '\x80');
        i += bytes;
    }
    return out;
}

#if defined(_WIN32)
int seekFile(std::FILE *f, std::uint64_t offset, int whence) { return _fseeki64(f, static_cast<__int64>(offset), whence); }
std::int64_t tellFile(std::FILE *f) { return _ftelli64(f); }
#else
int seekFile(std::FILE *f, std::uint64_t offset, int whence) { return fseeko(f, static_cast<off_t>(offset), whence); }
std::int64_t tellFile(std::FILE *f) { return ftello(f); }
#endif

bool inside(std::uint64_t offset, std::size_t len, std::uint64_t size)
{
    return offset <= size && len <= size - offset;
}

} // namespace

// ---------------------------------------------------------------- sources

bool MemorySource::readAt(std::uint64_t offset, void *buffer, std::size_t len)
{
    if (!inside(offset, len, m_size))
        return false;
    if (len > 0)
        std::memcpy(buffer, m_data + offset, len);
    return true;
}

FileSource::FileSource(std::FILE *file) : m_file(file)
{
    if (m_file && seekFile(m_file, 0, SEEK_END) == 0) {
        const std::int64_t end = tellFile(m_file);
        m_size = end > 0 ? std::uint64_t(end) : 0;
    }
}

bool FileSource::readAt(std::uint64_t offset, void *buffer, std::size_t len)
{
    if (!m_file || !inside(offset, len, m_size))
        return false;
    return len == 0 || (seekFile(m_file, offset, SEEK_SET) == 0 && std::fread(buffer, 1, len, m_file) == len);
}

StreamSource::StreamSource(std::istream &stream) : m_stream(stream)
{
    m_stream.clear();
    m_stream.seekg(0, std::ios::end);
    const std::streamoff end = m_stream.tellg();
    m_size = end > 0 ? std::uint64_t(end) : 0;
}

bool StreamSource::readAt(std::uint64_t offset, void *buffer, std::size_t len)
{
    if (!inside(offset, len, m_size))
        return false;
    if (len == 0)
        return true;
    m_stream.clear();
    m_stream.seekg(static_cast<std::streamoff>(offset));
    m_stream.read(static_cast<char *>(buffer), static_cast<std::streamsize>(len));
    return m_stream.gcount() == static_cast<std::streamsize>(len);
}

// ---------------------------------------------------------------- key

std::int32_t hexval(const std::string &text)
{
    std::uint32_t v = 0;
    int significant = 0;
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == ' ' || c == '\t' || c == '\n')
            continue;
        const int d = hexDigit(c);
        if (d < 0)
            break;
        if (significant == 0 && d == 0)
            continue; // leading zeros take no room
        if (significant < 8) { // further digits are ignored, never wrapped
            v = v * 16 + std::uint32_t(d);
            ++significant;
        }
    }
    if (v <= 0xFFFF)
        return v >= 0x8000 ? std::int32_t(v) - 0x10000 : std::int32_t(v);
    return v > kMaxWord ? -std::int32_t(~v) - 1 : std::int32_t(v);
}

Key Key::fromTexts(const std::string &basicKey, const std::string &headerMask)
{
    Key key;
    const std::string units = utf16Units(withoutDollar(basicKey));
    for (std::size_t i = 0; i < 4; ++i) {
        // Two characters give at most FF, which stays positive.
        const std::string slice = 2 * i < units.size() ? units.substr(2 * i, 2) : std::string();
        key.bytes[i] = static_cast<std::uint8_t>(hexval(slice));
    }
    key.mask = static_cast<std::uint32_t>(hexval(withoutDollar(headerMask)));
    return key;
}

// ---------------------------------------------------------------- pack

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
    m_byName.clear();
    m_error = Error::None;
    m_errorText.clear();
}

bool Pack::open(Source &source, const Key &key, Find find)
{
    reset();
    m_key = key;
    const std::uint64_t size = source.size();
    bool marked = false;
    if (find != Find::StandAlone && size >= kTrailer) {
        unsigned char tail[kTrailer];
        if (!source.readAt(size - kTrailer, tail, kTrailer))
            return fail(Error::Io, "cannot read the file's last ten bytes");
        marked = std::memcmp(tail + 4, kMarker, 6) == 0;
    }
    if (find == Find::Trailer && !marked)
        return fail(Error::NoTrailer, "the file does not end in the trailer (a word and \"QUILDX\")");
    if (!marked)
        return parse(source, 0, size);
    if (openTrailer(source, size - kTrailer) || find == Find::Trailer)
        return isOpen();
    // A stand-alone pack's trailing filler may end in "QUILDX" by chance.
    const Error trailerError = m_error;
    const std::string trailerText = m_errorText;
    reset();
    if (parse(source, 0, size))
        return true;
    return fail(trailerError, trailerText + " (nor does the whole file read as a pack: " + m_errorText + ")");
}

bool Pack::openTrailer(Source &source, std::uint64_t trailerStart)
{
    unsigned char w[4];
    if (!source.readAt(trailerStart, w, 4))
        return fail(Error::Io, "cannot read the trailer word");
    const std::uint32_t word = le32(w);
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
    return parse(source, start, trailerStart);
}

bool Pack::openLastTrailer(Source &source, const Key &key)
{
    reset();
    m_key = key;
    std::vector<unsigned char> window(std::min<std::uint64_t>(kChunk, source.size()));
    // Each candidate costs a parse that may read the whole file: a crafted
    // file full of markers must not take quadratic time. A signature or
    // other tail hides few of them.
    int candidates = 0;
    const int kMaxCandidates = 64;
    // Windows overlap by five bytes so that no marker is split between two.
    for (std::uint64_t hi = source.size(); hi >= 6 && candidates < kMaxCandidates;) {
        const std::uint64_t lo = hi > window.size() ? hi - window.size() : 0;
        const std::size_t n = std::size_t(hi - lo);
        if (!source.readAt(lo, window.data(), n))
            return fail(Error::Io, "cannot read the file at offset " + num(lo));
        for (std::size_t p = n - 6 + 1; p-- > 0;) {
            if (std::memcmp(window.data() + p, kMarker, 6) != 0 || lo + p < 4)
                continue;
            if (++candidates > kMaxCandidates)
                break;
            reset();
            if (openTrailer(source, lo + p - 4))
                return true;
        }
        if (lo == 0)
            break;
        hi = lo + 5;
    }
    reset();
    return fail(Error::NoTrailer, "no \"QUILDX\" in the file follows a word that gives a pack that reads with this key and mask"
                                  + std::string(candidates > kMaxCandidates ? " (gave up after 64 markers)" : ""));
}

bool Pack::parse(Source &source, std::uint64_t start, std::uint64_t end)
{
    m_layout.fileSize = source.size();
    m_layout.packStart = start;
    m_layout.packEnd = end;
    const std::uint64_t size = end - start;
    if (size < kMinPack)
        return fail(Error::TooShort, "the pack has " + num(size) + " bytes; even an empty pack has 8");
    unsigned char w[4];
    if (!source.readAt(start, w, 4))
        return fail(Error::Io, "cannot read the header word");
    m_layout.headerWord = le32(w);
    const std::uint32_t c = m_layout.headerWord ^ m_key.mask;
    if (c < 5 || c > kMaxWord || std::uint64_t(c) + 3 > size)
        return fail(Error::HeaderOutside, "the header word puts the count word at position " + num(c)
                            + ", outside the pack's " + num(size) + " bytes: wrong Header Mask, or not a pack");
    if (!source.readAt(start + c - 1, w, 4))
        return fail(Error::Io, "cannot read the count word");
    const std::uint32_t n = le32(w);
    m_layout.countPosition = c;
    m_layout.count = n;
    if (n > kMaxWord)
        return fail(Error::BadCount, "the count word is negative: wrong Header Mask, or not a pack");
    if (n > kMaxCount)
        return fail(Error::BadCount, "the count word says " + num(n)
                            + " files, more than a pack holds (10,000): wrong Header Mask, or not a pack");
    if (n * kMinEntry > size - m_layout.indexStart())
        return fail(Error::BadCount, "the count word says " + num(n) + " files, but the "
                            + num(size - m_layout.indexStart()) + " bytes after it cannot hold their index: "
                            + "the pack is cut short, or not a pack");
    if (!parseIndex(source, start, end)) {
        m_entries.clear();
        return false;
    }
    for (std::size_t k = 0; k < m_entries.size(); ++k)
        m_byName.emplace(folded(m_entries[k].name), k);
    m_source = &source;
    return true;
}

bool Pack::parseIndex(Source &source, std::uint64_t start, std::uint64_t end)
{
    static const char *const fieldNames[] = {"name", "offset", "size"};
    const std::uint64_t size = end - start;
    const std::uint64_t first = m_layout.indexStart();
    std::vector<unsigned char> buffer(std::size_t(std::min<std::uint64_t>(kChunk, size - first)));
    m_entries.reserve(m_layout.count);
    Entry entry{std::string(), 0, 0};
    int field = 0;
    std::uint64_t value = 0; // wide enough that a tenth digit cannot wrap it
    int digits = 0;
    std::uint64_t pos = first;
    while (m_entries.size() < m_layout.count) {
        const auto which = [&] { return "entry " + num(m_entries.size() + 1) + " of " + num(m_layout.count); };
        if (pos >= size)
            return fail(Error::IndexCutShort, "the index ends before " + which() + " is complete: its "
                                + fieldNames[field] + " has no CR; the pack is cut short, or the Basic Key is wrong");
        const std::size_t n = std::size_t(std::min<std::uint64_t>(buffer.size(), size - pos));
        if (!source.readAt(start + pos, buffer.data(), n))
            return fail(Error::Io, "cannot read the index at offset " + num(pos));
        unmask(buffer.data(), n, pos - first, m_key.bytes);
        std::size_t i = 0;
        for (; i < n && m_entries.size() < m_layout.count; ++i) {
            const unsigned char b = buffer[i];
            if (field == 0) {
                if (b == '\r')
                    field = 1;
                else
                    entry.name.push_back(static_cast<char>(b));
                continue;
            }
            const auto what = [&] { return which() + " (" + shown(entry.name) + "): its " + fieldNames[field]; };
            if (b == '\r') {
                if (digits == 0)
                    return fail(Error::BadNumber, what() + " is empty; the Basic Key is wrong, or the index is damaged");
                (field == 1 ? entry.offset : entry.size) = std::uint32_t(value);
                value = 0;
                digits = 0;
                field = field == 1 ? 2 : 0;
                if (field == 0) {
                    if (!entryInside(entry))
                        return false;
                    m_entries.push_back(std::move(entry));
                    entry = Entry{std::string(), 0, 0};
                }
                continue;
            }
            if (b < '0' || b > '9')
                return fail(Error::BadNumber, what() + " holds the byte " + num(b)
                                    + ", which is no digit; the Basic Key is wrong, or the index is damaged");
            if (digits == 1 && value == 0)
                return fail(Error::BadNumber, what() + " has a leading zero; the Basic Key is wrong, or the index is damaged");
            value = value * 10 + std::uint64_t(b - '0');
            ++digits;
            if (value > kMaxWord)
                return fail(Error::BadNumber, what() + " exceeds 2147483647; the index is damaged");
        }
        pos += i;
    }
    m_layout.indexEnd = pos;
    return true;
}

bool Pack::entryInside(const Entry &entry)
{
    // Members lie between the leading filler's start and the count word.
    const std::uint64_t dataEnd = std::uint64_t(m_layout.countPosition) - 1;
    if (entry.offset >= 4 && std::uint64_t(entry.offset) + entry.size <= dataEnd)
        return true;
    return fail(Error::EntryOutside, "entry " + shown(entry.name) + " at offset " + num(entry.offset) + ", size "
                        + num(entry.size) + ", lies outside the pack's data (offsets 4 to " + num(dataEnd)
                        + "); the pack is damaged, or the Basic Key is wrong");
}

const Entry *Pack::find(const std::string &name)
{
    const auto it = m_byName.find(folded(name));
    if (it != m_byName.end())
        return &m_entries[it->second];
    fail(Error::NotFound, "the pack has no entry named " + shown(name));
    return nullptr;
}

bool Pack::read(const Entry &entry, void *buffer, std::size_t capacity)
{
    if (capacity < entry.size)
        return fail(Error::OutOfRange, "entry " + shown(entry.name) + " has " + num(entry.size)
                            + " bytes, more than the buffer's " + num(capacity));
    return readRange(entry, 0, buffer, entry.size);
}

bool Pack::readRange(const Entry &entry, std::uint64_t from, void *buffer, std::size_t len)
{
    if (!m_source)
        return fail(Error::Io, "no pack is open");
    if (!entryInside(entry))
        return false;
    if (!inside(from, len, entry.size))
        return fail(Error::OutOfRange, "bytes " + num(from) + " to " + num(from + len) + " lie beyond the end of entry "
                            + shown(entry.name) + " (" + num(entry.size) + " bytes)");
    if (len == 0)
        return true;
    if (!m_source->readAt(m_layout.packStart + entry.offset + from, buffer, len))
        return fail(Error::Io, "cannot read entry " + shown(entry.name));
    unmask(static_cast<unsigned char *>(buffer), len, from, m_key.bytes);
    return true;
}

bool Pack::stream(const Entry &entry, const Sink &sink, std::size_t chunk)
{
    if (!m_source)
        return fail(Error::Io, "no pack is open");
    if (!entryInside(entry))
        return false;
    std::vector<unsigned char> buffer(std::min<std::size_t>(chunk > 0 ? chunk : kChunk, entry.size));
    for (std::uint64_t from = 0; from < entry.size;) {
        const std::size_t n = std::size_t(std::min<std::uint64_t>(buffer.size(), entry.size - from));
        if (!readRange(entry, from, buffer.data(), n))
            return false;
        if (!sink(buffer.data(), n))
            return fail(Error::Stopped, "reading entry " + shown(entry.name) + " was stopped");
        from += n;
    }
    return true;
}

bool Pack::readRaw(std::uint64_t packOffset, void *buffer, std::size_t len)
{
    if (!m_source)
        return fail(Error::Io, "no pack is open");
    if (!inside(packOffset, len, m_layout.packSize()))
        return fail(Error::OutOfRange, "bytes " + num(packOffset) + " to " + num(packOffset + len)
                            + " lie beyond the pack's end (" + num(m_layout.packSize()) + " bytes)");
    if (!m_source->readAt(m_layout.packStart + packOffset, buffer, len))
        return fail(Error::Io, "cannot read the pack at offset " + num(packOffset));
    return true;
}

std::uint64_t Pack::leadingFiller() const
{
    if (!m_source)
        return 0;
    return m_entries.empty() ? m_layout.countPosition - 5u : m_entries.front().offset - 4u;
}

} // namespace wfpak
