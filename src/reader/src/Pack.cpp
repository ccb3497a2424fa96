/*
 * Wrenfold pack reader: the index, the name table and the reads. Copyright
 * (c) 2026 Wrenfold developers. zlib licence: see PakReader.h.
 */
#include "Internal.h"
#include <algorithm>
#include <cstring>

namespace wfpak {

using detail::inside;
using detail::num;
using detail::shown;

namespace {

constexpr std::size_t kChunk = 64 * 1024;
constexpr std::size_t kUnmaskPiece = 128 * 1024; // well inside a core's L2 cache

// Names match whatever their ASCII case and whichever slash they use.
unsigned char foldByte(unsigned char byte)
{
    if (byte == '/')
        return '\\';
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

std::uint32_t foldedHash(const std::string &name)
{
    std::uint32_t h = 2166136261u; // FNV-1a
    for (const char c : name)
        h = (h ^ foldByte(static_cast<unsigned char>(c))) * 16777619u;
    return h;
}

bool sameFolded(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldByte(static_cast<unsigned char>(a[i])) != foldByte(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

bool failRead(ReadError *error, Error code, const std::string &text)
{
    if (error) {
        error->error = code;
        error->text = text;
    }
    return false;
}

} // namespace

std::string detail::shown(const std::string &name)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < name.size() && i < 80; ++i)
        out += static_cast<unsigned char>(name[i]) < 32 ? '?' : name[i];
    return out + (name.size() > 80 ? "...\"" : "\"");
}

bool Pack::parseIndex(const Source &source, std::uint64_t start, std::uint64_t end)
{
    static const char *const fieldNames[] = {"name", "offset", "size"};
    const std::uint64_t size = end - start;
    const std::uint64_t first = m_layout.indexStart();
    std::vector<unsigned char> buffer(std::size_t(std::min<std::uint64_t>(kChunk, size - first)));
    Entry entry{std::string(), 0, 0};
    int field = 0;
    std::uint64_t value = 0; // wide enough that a tenth digit cannot wrap it
    int digits = 0;
    std::uint64_t pos = first;
    while (m_entries.size() < m_layout.count) {
        const auto entryLabel = [&] { return "entry " + num(m_entries.size() + 1) + " of " + num(m_layout.count); };
        if (pos >= size)
            return fail(Error::IndexCutShort, "the index ends before " + entryLabel() + " is complete: its "
                                + fieldNames[field] + " has no CR; the pack is cut short, or the Basic Key is wrong");
        const std::size_t n = std::size_t(std::min<std::uint64_t>(buffer.size(), size - pos));
        if (!source.readAt(start + pos, buffer.data(), n))
            return fail(Error::Io, "cannot read the index at offset " + num(pos));
        if (!m_plain)
            applyKeyCycle(buffer.data(), n, pos - first, m_key.bytes);
        std::size_t i = 0;
        for (; i < n && m_entries.size() < m_layout.count; ++i) {
            if (field == 0) {
                // A name grows by whole runs up to its CR, never past the cap.
                const void *cr = std::memchr(buffer.data() + i, '\r', n - i);
                const std::size_t stop = cr ? std::size_t(static_cast<const unsigned char *>(cr) - buffer.data()) : n;
                if (entry.name.size() + (stop - i) > kMaxName)
                    return fail(Error::NameTooLong, "the name of " + entryLabel() + " runs past 65,535 bytes; the Basic "
                                        "Key is wrong, or the index is damaged");
                entry.name.append(reinterpret_cast<const char *>(buffer.data() + i), stop - i);
                i = stop;
                if (cr)
                    field = 1;
                else
                    --i; // the loop's ++i ends this chunk
                continue;
            }
            const unsigned char b = buffer[i];
            const auto fieldLabel = [&] { return entryLabel() + " (" + shown(entry.name) + "): its " + fieldNames[field]; };
            if (b == '\r') {
                if (digits == 0)
                    return fail(Error::BadNumber, fieldLabel() + " is empty; the Basic Key is wrong, or the index is damaged");
                (field == 1 ? entry.offset : entry.size) = std::uint32_t(value);
                value = 0;
                digits = 0;
                field = field == 1 ? 2 : 0;
                if (field == 0) {
                    ReadError why;
                    if (!entryInside(entry, &why))
                        return fail(why.error, why.text);
                    m_entries.push_back(std::move(entry));
                    entry = Entry{std::string(), 0, 0};
                }
                continue;
            }
            if (b < '0' || b > '9')
                return fail(Error::BadNumber, fieldLabel() + " holds the byte " + num(b)
                                    + ", which is no digit; the Basic Key is wrong, or the index is damaged");
            if (digits == 1 && value == 0)
                return fail(Error::BadNumber, fieldLabel() + " has a leading zero; the Basic Key is wrong, or the index is damaged");
            value = value * 10 + std::uint64_t(b - '0');
            ++digits;
            if (value > kMaxWord)
                return fail(Error::BadNumber, fieldLabel() + " exceeds 2147483647; the index is damaged");
        }
        pos += i;
    }
    m_layout.indexEnd = pos;
    return true;
}

void Pack::buildNameTable()
{
    std::size_t slots = 16;
    while (slots < 2 * m_entries.size())
        slots *= 2;
    m_table.assign(slots, 0);
    for (std::size_t entry = 0; entry < m_entries.size(); ++entry) {
        for (std::size_t slot = foldedHash(m_entries[entry].name) & (slots - 1);; slot = (slot + 1) & (slots - 1)) {
            if (m_table[slot] == 0) {
                m_table[slot] = std::uint32_t(entry + 1);
                break;
            }
            if (sameFolded(m_entries[m_table[slot] - 1].name, m_entries[entry].name))
                break; // the first of that name in index order stays
        }
    }
}

bool Pack::entryInside(const Entry &entry, ReadError *error) const
{
    // Members lie between the leading filler's start and the count word.
    const std::uint64_t dataEnd = std::uint64_t(m_layout.countPosition) - 1;
    if (entry.offset >= 4 && std::uint64_t(entry.offset) + entry.size <= dataEnd)
        return true;
    return failRead(error, Error::EntryOutside, "entry " + shown(entry.name) + " at offset " + num(entry.offset)
                            + ", size " + num(entry.size) + ", lies outside the pack's data (offsets 4 to "
                            + num(dataEnd) + "); the pack is damaged, or the Basic Key is wrong");
}

const Entry *Pack::find(const std::string &name) const
{
    if (m_table.empty())
        return nullptr;
    const std::size_t mask = m_table.size() - 1;
    for (std::size_t slot = foldedHash(name) & mask; m_table[slot] != 0; slot = (slot + 1) & mask) {
        const Entry &entry = m_entries[m_table[slot] - 1];
        if (sameFolded(entry.name, name))
            return &entry;
    }
    return nullptr;
}

bool Pack::read(const Entry &entry, void *buffer, std::size_t capacity, ReadError *error) const
{
    if (capacity < entry.size)
        return failRead(error, Error::OutOfRange, "entry " + shown(entry.name) + " has " + num(entry.size)
                                + " bytes, more than the buffer's " + num(capacity));
    return readRange(entry, 0, buffer, entry.size, error);
}

bool Pack::readRange(const Entry &entry, std::uint64_t from, void *buffer, std::size_t len, ReadError *error) const
{
    if (!m_source)
        return failRead(error, Error::Io, "no pack is open");
    if (!entryInside(entry, error))
        return false;
    if (!inside(from, len, entry.size))
        return failRead(error, Error::OutOfRange, "bytes " + num(from) + " to " + num(from + len)
                                + " lie beyond the end of entry " + shown(entry.name) + " (" + num(entry.size) + " bytes)");
    if (len == 0)
        return true;
    const std::uint64_t at = m_layout.packStart + entry.offset + from;
    if (m_plain) {
        if (!m_source->readAt(at, buffer, len))
            return failRead(error, Error::Io, "cannot read entry " + shown(entry.name));
        return true;
    }
    // Masked: each piece is unmasked while it is still in the cache, so a
    // large read costs one pass over memory, not two.
    unsigned char *out = static_cast<unsigned char *>(buffer);
    for (std::size_t done = 0; done < len;) {
        const std::size_t n = std::min(kUnmaskPiece, len - done);
        if (!m_source->readAt(at + done, out + done, n))
            return failRead(error, Error::Io, "cannot read entry " + shown(entry.name));
        applyKeyCycle(out + done, n, from + done, m_key.bytes);
        done += n;
    }
    return true;
}

bool Pack::stream(const Entry &entry, const Sink &sink, std::size_t chunk, ReadError *error) const
{
    if (!m_source)
        return failRead(error, Error::Io, "no pack is open");
    if (!entryInside(entry, error))
        return false;
    std::vector<unsigned char> buffer(std::min<std::size_t>(chunk > 0 ? chunk : kChunk, entry.size));
    for (std::uint64_t from = 0; from < entry.size;) {
        const std::size_t n = std::size_t(std::min<std::uint64_t>(buffer.size(), entry.size - from));
        if (!readRange(entry, from, buffer.data(), n, error))
            return false;
        if (!sink(buffer.data(), n))
            return failRead(error, Error::Stopped, "reading entry " + shown(entry.name) + " was stopped");
        from += n;
    }
    return true;
}

bool Pack::readRaw(std::uint64_t packOffset, void *buffer, std::size_t len, ReadError *error) const
{
    if (!m_source)
        return failRead(error, Error::Io, "no pack is open");
    if (!inside(packOffset, len, m_layout.packSize()))
        return failRead(error, Error::OutOfRange, "bytes " + num(packOffset) + " to " + num(packOffset + len)
                                + " lie beyond the pack's end (" + num(m_layout.packSize()) + " bytes)");
    if (len > 0 && !m_source->readAt(m_layout.packStart + packOffset, buffer, len))
        return failRead(error, Error::Io, "cannot read the pack at offset " + num(packOffset));
    return true;
}

std::uint64_t Pack::leadingFiller() const
{
    if (m_layout.countPosition == 0)
        return 0;
    return m_entries.empty() ? m_layout.countPosition - 5u : m_entries.front().offset - 4u;
}

} // namespace wfpak
