// libFuzzer target for the pack reader: parses the mutated bytes as a pack
// (stand-alone or appended), then lists, looks up, reads, ranges and streams
// every entry, and checks that the three ways of reading agree.
//
// The first byte chooses how: bits 0-1 the key (0 plain; 1 the masked seeds'
// key and mask texts; 2 key bytes and mask from the next eight bytes; 3 key
// and mask texts from the next twenty bytes), bits 2-3 the way the pack is
// found, bit 6 a backward search for a trailer when opening fails.
// Built and run by `make fuzz`.
#include "reader/PakReader.h"
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
        check(!pack.readRange(e, e.size, part.data(), 1) && pack.error() == wfpak::Error::OutOfRange);
    }
    unsigned char raw[4];
    check(pack.readRaw(0, raw, 4));
    check(!pack.readRaw(l.packSize(), raw, 1));
    check(pack.find("\r") == nullptr && pack.error() == wfpak::Error::NotFound); // a name never holds a CR
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
    wfpak::MemorySource source(data, size);
    wfpak::Pack pack;
    bool ok = pack.open(source, key, find);
    if (!ok && (choice & 0x40))
        ok = pack.openLastTrailer(source, key);
    if (!ok) {
        check(!pack.isOpen() && pack.entries().empty() && !pack.errorText().empty());
        return 0;
    }
    readEverything(pack);
    return 0;
}
