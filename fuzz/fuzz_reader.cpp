// libFuzzer target for the pack reader: parses the mutated bytes as a pack
// (stand-alone or appended), then lists, looks up, reads, ranges and streams
// every entry, and checks that the three ways of reading agree.
//
// The first byte chooses how: bits 0-1 the key (0 plain; 1 the masked seeds'
// key and mask texts; 2 key bytes and mask from the next eight bytes; 3 key
// and mask texts from the next twenty bytes), bits 2-3 the way the pack is
// found, bit 5 a source of gigabytes (below; bit 4 makes it 5 GiB rather
// than 1, bit 7 seven bytes shorter), bit 6 a backward search for a trailer
// when opening fails (not over gigabytes: one pass over them per input
// would starve the run).
//
// Gigabytes: the input's first half lies at the start of a source of
// 1 to 5 GiB, its second half at the end, zeros between; words that wrap
// past 4 GiB, trailers pointing into the zeros and names that never end
// meet the reader's bounds without a large input.
// Built and run by `make fuzz`.
#include <wfpak/PakReader.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

wfpak::Key keyFrom(unsigned choice, const std::uint8_t *&data, std::size_t &size)
{
    wfpak::Key key;
    if (choice == 1) {
        key = wfpak::Key::fromTexts("11224488", "80000001");
    } else if (choice == 2 && size >= 8) {
        std::memcpy(key.bytes.data(), data, 4);
        key.mask = std::uint32_t(data[4]) | std::uint32_t(data[5]) << 8 | std::uint32_t(data[6]) << 16
                | std::uint32_t(data[7]) << 24;
        data += 8;
        size -= 8;
    } else if (choice == 3 && size >= 20) {
        const char *text = reinterpret_cast<const char *>(data);
        key = wfpak::Key::fromTexts(std::string(text, 10), std::string(text + 10, 10));
        data += 20;
        size -= 20;
    }
    return key;
}

constexpr std::uint64_t kGiB = 1024ull * 1024 * 1024;

// The input with a hole of zeros in its middle.
class HoleSource final : public wfpak::Source {
public:
    HoleSource(const std::uint8_t *data, std::size_t size, std::uint64_t total)
        : m_data(data), m_head(size / 2), m_tail(size - size / 2), m_total(total) {}
    std::uint64_t size() const override { return m_total; }
    bool readAt(std::uint64_t offset, void *buffer, std::size_t len) const override
    {
        if (offset > m_total || len > m_total - offset)
            return false;
        unsigned char *out = static_cast<unsigned char *>(buffer);
        const std::uint64_t tailStart = m_total - m_tail;
        for (std::size_t i = 0; i < len;) {
            const std::uint64_t at = offset + i;
            std::size_t n;
            if (at < m_head) {
                n = std::size_t(std::min<std::uint64_t>(len - i, m_head - at));
                std::memcpy(out + i, m_data + at, n);
            } else if (at >= tailStart) {
                n = len - i;
                std::memcpy(out + i, m_data + m_head + (at - tailStart), n);
            } else {
                n = std::size_t(std::min<std::uint64_t>(len - i, tailStart - at));
                std::memset(out + i, 0, n);
            }
            i += n;
        }
        return true;
    }

private:
    const std::uint8_t *m_data;
    std::size_t m_head, m_tail;
    std::uint64_t m_total;
};

void readEverything(wfpak::Pack &pack)
{
    const wfpak::Layout &l = pack.layout();
    check(l.packStart <= l.packEnd && l.packEnd <= l.fileSize && l.trailerEnd() <= l.fileSize);
    check(l.indexStart() <= l.indexEnd && l.indexEnd <= l.packSize());
    check(pack.leadingFiller() + 5 <= l.countPosition);
    std::vector<unsigned char> whole, streamed, part;
    for (const wfpak::Entry &e : pack.entries()) {
        check(e.offset >= 4 && std::uint64_t(e.offset) + e.size < l.countPosition);
        const wfpak::Entry *found = pack.find(e.name);
        check(found != nullptr && found <= &e);
        if (e.size > (1u << 20)) { // in a hole of zeros: its ends only
            part.assign(64, 0);
            check(pack.readRange(e, 0, part.data(), 64) && pack.readRange(e, e.size - 64, part.data(), 64));
            continue;
        }
        whole.assign(e.size, 0);
        check(pack.read(e, whole.data(), whole.size()));
        streamed.clear();
        check(pack.stream(e, [&](const unsigned char *d, std::size_t n) {
            streamed.insert(streamed.end(), d, d + n);
            return true;
        }, 1 + e.size / 3));
        check(streamed == whole);
        // Ranges starting at every phase of the key cycle.
        for (std::uint64_t from = 0; from < e.size && from < 9; ++from) {
            const std::size_t len = std::size_t(e.size - from < 5 ? e.size - from : 5);
            part.assign(len, 0);
            check(pack.readRange(e, from, part.data(), len));
            check(std::memcmp(part.data(), whole.data() + from, len) == 0);
        }
        wfpak::ReadError why;
        check(!pack.readRange(e, e.size, part.data(), 1, &why) && why.error == wfpak::Error::OutOfRange);
    }
    unsigned char raw[4];
    check(pack.readRaw(0, raw, 4));
    check(!pack.readRaw(l.packSize(), raw, 1));
    check(pack.find("\r") == nullptr); // a name never holds a CR
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const unsigned choice = data[0];
    ++data;
    --size;
    const wfpak::Key key = keyFrom(choice & 3, data, size);
    const wfpak::Pack::Find find = (choice >> 2 & 3) == 1 ? wfpak::Pack::Find::StandAlone
            : (choice >> 2 & 3) == 2                      ? wfpak::Pack::Find::Trailer
                                                          : wfpak::Pack::Find::Auto;
    const wfpak::MemorySource memory(data, size);
    const HoleSource hole(data, size, (1 + (choice >> 4 & 1) * 4) * kGiB - (choice & 0x80 ? 7 : 0) + size);
    const wfpak::Source &source = choice & 0x20 ? static_cast<const wfpak::Source &>(hole) : memory;
    wfpak::Pack pack;
    bool ok = pack.open(source, key, find);
    if (!ok && (choice & 0x40) && !(choice & 0x20))
        ok = pack.openLastTrailer(source, key);
    if (!ok) {
        check(!pack.isOpen() && pack.entries().empty() && !pack.errorText().empty());
        return 0;
    }
    readEverything(pack);
    return 0;
}
