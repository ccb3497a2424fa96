/*
 * Wrenfold pack reader: reads Data.Pak, stand-alone or appended to a game's
 * executable. Plain C++17, no dependency beyond the standard library. Take
 * it in with add_subdirectory, find_package(wfpak) or pkg-config (see the
 * README), or copy the folder; C and other languages use wfpak.h.
 *
 * Threads: open a Pack on one thread. Once it is open, find, read,
 * readRange, stream and readRaw are const and may run on any number of
 * threads at once over one Pack, as long as its Source's readAt may (the
 * file sources and openFile read by position; StreamSource does not). A
 * read reports its failure by its result and an optional ReadError; the
 * Pack's error() and errorText() belong to the open only.
 *
 * Memory and time: opening keeps the index's own bytes plus a fixed amount
 * per entry (a few dozen bytes, and a 4-byte slot in the name table) and
 * never more, whatever the file's size; it reads the header, the count and
 * the index, each byte once. A name over 65,535 bytes, a count the index
 * cannot hold, or a trailer whose pack has over 499 bytes of filler is an
 * error before anything grows. Reads allocate nothing (stream holds one
 * chunk), except that a file openFile opened gets one 256 KiB block at its
 * first small read: small reads that follow one another through the file
 * (a game loading entries in pack order) are served from it, one system
 * call per block instead of one per entry. The pack must not change while
 * it is open.
 *
 * Copyright (c) 2026 Wrenfold developers
 *
 * This software is provided 'as-is', without any express or implied
 * warranty. In no event will the authors be held liable for any damages
 * arising from the use of this software.
 *
 * Permission is granted to anyone to use this software for any purpose,
 * including commercial applications, and to alter it and redistribute it
 * freely, subject to the following restrictions:
 *
 * 1. The origin of this software must not be misrepresented; you must not
 *    claim that you wrote the original software. If you use this software
 *    in a product, an acknowledgment in the product documentation would be
 *    appreciated but is not required.
 * 2. Altered source versions must be plainly marked as such, and must not be
 *    misrepresented as being the original software.
 * 3. This notice may not be removed or altered from any source distribution.
 */
#pragma once
#include <wfpak/KeyText.h>
#include <wfpak/PakLimits.h>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace wfpak {

// ---------------------------------------------------------------- sources

// Random access to the bytes of a file, with 64-bit offsets. readAt is
// const: a Pack calls it from every thread that reads.
class Source {
public:
    virtual ~Source() = default;
    virtual std::uint64_t size() const = 0;
    // Reads exactly `len` bytes at `offset`; false when they are not all
    // there or the read fails.
    virtual bool readAt(std::uint64_t offset, void *buffer, std::size_t len) const = 0;
};

// Bytes already in memory; they must outlive the source. Any thread.
class MemorySource final : public Source {
public:
    MemorySource(const void *data, std::size_t size) : m_data(static_cast<const unsigned char *>(data)), m_size(size) {}
    std::uint64_t size() const override { return m_size; }
    bool readAt(std::uint64_t offset, void *buffer, std::size_t len) const override;

private:
    const unsigned char *m_data;
    std::size_t m_size;
};

// A FILE* opened for binary reading ("rb"); the caller keeps it open. Reads
// by position through its descriptor (pread; ReadFile at an offset on
// Windows), never moving the FILE's position: any thread.
class FileSource final : public Source {
public:
    explicit FileSource(std::FILE *file);
    std::uint64_t size() const override { return m_size; }
    bool readAt(std::uint64_t offset, void *buffer, std::size_t len) const override;

private:
    std::FILE *m_file;
    std::uint64_t m_size = 0;
};

// A std::istream opened in binary mode (an std::ifstream, say); the caller
// keeps it open. A stream has one position: one thread at a time.
class StreamSource final : public Source {
public:
    explicit StreamSource(std::istream &stream);
    std::uint64_t size() const override { return m_size; }
    bool readAt(std::uint64_t offset, void *buffer, std::size_t len) const override;

private:
    std::istream &m_stream;
    std::uint64_t m_size = 0;
};

// ---------------------------------------------------------------- key

struct Key {
    std::array<std::uint8_t, 4> bytes{}; // K0..K3
    std::uint32_t mask = 0;              // the Header Mask M

    // A pack built without encryption reads with Key{} (all zero).
    // From the Basic Key and Header Mask texts, either as the initialisation
    // line passes them ("$5D5D5D5D") or as the tool's boxes hold them
    // ("5D5D5D5D"): one leading '$' is dropped, then the rules of KeyText.h.
    static Key fromTexts(const std::string &basicKey, const std::string &headerMask);
};

// ---------------------------------------------------------------- pack

enum class Error {
    None,
    Io,             // the source could not be read (or the file opened)
    NoTrailer,      // a trailer was asked for and there is none
    TooShort,       // fewer bytes than the smallest pack
    TrailerOutside, // the trailer word points before the file or past its end
    HeaderOutside,  // the header word puts the count word outside the pack
    BadCount,       // negative count, above 10,000, or more than the index can hold
    IndexCutShort,  // the index ends (no CR) before all its entries are complete
    BadNumber,      // an offset or size that is not a plain decimal number
    EntryOutside,   // an entry's bytes lie outside the pack's data
    NotFound,       // no entry of that name
    OutOfRange,     // a read beyond the entry's end, or a buffer too small
    Stopped,        // a stream's sink asked to stop
    NameTooLong,    // a name over 65,535 bytes
    BadFiller,      // a trailer's pack with a filler over 499 bytes
};

// Why a read failed; pass one to a read to learn it.
struct ReadError {
    Error error = Error::None;
    std::string text;
};

struct Entry {
    std::string name;       // as stored: 8-bit bytes, backslashes between folders
    std::uint32_t offset;   // from the pack's first byte
    std::uint32_t size;
};

// Where everything lies, for checking a pack's structure.
struct Layout {
    bool appended = false;         // found through a trailer
    std::uint64_t fileSize = 0;
    std::uint64_t packStart = 0;   // the pack's offset 0 in the file
    std::uint64_t packEnd = 0;     // one past the pack's last byte
    std::uint32_t trailerWord = 0; // appended only; the trailer is packEnd..packEnd+9
    std::uint32_t headerWord = 0;
    std::uint32_t countPosition = 0; // C: the count word lies at pack offset C - 1
    std::uint32_t count = 0;         // N
    std::uint64_t indexEnd = 0;      // pack offset one past the index's last CR

    std::uint64_t packSize() const { return packEnd - packStart; }
    std::uint64_t indexStart() const { return std::uint64_t(countPosition) + 3; }
    std::uint64_t trailerEnd() const { return appended ? packEnd + 10 : packEnd; }
    // Bytes after "QUILDX" (a code signature added after the append?), or
    // after a stand-alone pack's end; a game reading the last ten bytes of
    // the file does not find a pack followed by anything.
    std::uint64_t bytesAfter() const { return fileSize - trailerEnd(); }
    std::uint64_t trailingFiller() const { return packEnd - packStart - indexEnd; }
};

class Pack {
public:
    enum class Find {
        Auto,       // the trailer when there is one that reads, else stand-alone
        StandAlone, // the whole file is the pack
        Trailer,    // the last ten bytes must be a trailer
    };

    Pack();
    ~Pack();
    Pack(Pack &&) noexcept;
    Pack &operator=(Pack &&) noexcept;

    // Opens and keeps the file at `path` (UTF-8 on every platform; UTF-16
    // for the wide-character API on Windows), closed with the Pack, then
    // as open() does.
    bool openFile(const std::string &path, const Key &key = Key(), Find find = Find::Auto);

    // Opens the pack in `source`, which must outlive the Pack. With Auto, a
    // file whose last ten bytes end in "QUILDX" is first read through that
    // trailer; if that gives no pack, the whole file is tried as a
    // stand-alone pack (whose trailing filler may end in those letters by
    // chance). The pack found is the newest one appended.
    bool open(const Source &source, const Key &key = Key(), Find find = Find::Auto);

    // For an executable whose last ten bytes are no trailer (something was
    // added after the append): opens the pack of the last "QUILDX" in the
    // file whose word gives a pack that reads. Scans the file once from its
    // end; the candidates' own reads together stop at the file's size.
    bool openLastTrailer(const Source &source, const Key &key = Key());

    bool isOpen() const { return m_source != nullptr; }
    // The last open's outcome.
    Error error() const { return m_error; }
    const std::string &errorText() const { return m_errorText; }
    const Layout &layout() const { return m_layout; }

    // In index order.
    const std::vector<Entry> &entries() const { return m_entries; }
    // Case-insensitive (ASCII letters), '/' and '\' alike; the first entry
    // of that name in index order, or nullptr.
    const Entry *find(const std::string &name) const;

    // The entry's bytes, unmasked. read() needs capacity >= entry.size.
    bool read(const Entry &entry, void *buffer, std::size_t capacity, ReadError *error = nullptr) const;
    // `len` bytes from byte `from` of the entry.
    bool readRange(const Entry &entry, std::uint64_t from, void *buffer, std::size_t len,
                   ReadError *error = nullptr) const;
    // Hands the entry to `sink` in chunks of at most `chunk` bytes, never
    // holding it whole; the sink returns false to stop (error Stopped).
    using Sink = std::function<bool(const unsigned char *data, std::size_t len)>;
    bool stream(const Entry &entry, const Sink &sink, std::size_t chunk = 64 * 1024, ReadError *error = nullptr) const;
    // Bytes of the pack as stored (masked), for checking fillers.
    bool readRaw(std::uint64_t packOffset, void *buffer, std::size_t len, ReadError *error = nullptr) const;

    // The leading filler's length: offset of the first entry - 4, or C - 5
    // with no entries.
    std::uint64_t leadingFiller() const;

private:
    bool openTrailer(const Source &source, std::uint64_t trailerStart);
    bool parse(const Source &source, std::uint64_t start, std::uint64_t end);
    bool parseIndex(const Source &source, std::uint64_t start, std::uint64_t end);
    bool checkFillers();
    bool entryInside(const Entry &entry, ReadError *error) const;
    void buildNameTable();
    bool fail(Error error, const std::string &text);
    void reset();

    std::unique_ptr<Source> m_owned; // openFile's file
    const Source *m_source = nullptr;
    Key m_key;
    bool m_plain = true; // an all-zero key: nothing to unmask
    Layout m_layout;
    std::vector<Entry> m_entries;
    // Open addressing over folded names: entry index + 1, 0 for an empty slot.
    std::vector<std::uint32_t> m_table;
    Error m_error = Error::None;
    std::string m_errorText;
};

} // namespace wfpak
