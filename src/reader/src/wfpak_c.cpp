/*
 * Wrenfold pack reader: the C interface over the C++ one. Copyright (c)
 * 2026 Wrenfold developers. zlib licence: see PakReader.h.
 */
#include <wfpak/PakReader.h>
#include <wfpak/wfpak.h>
#include <new>

#ifndef WFPAK_VERSION_TEXT
#error "the build defines WFPAK_VERSION_TEXT"
#endif

struct wfpak_pack {
    wfpak::Pack pack;
    wfpak::MemorySource memory{nullptr, 0};
    std::string error;
};

namespace {

int codeOf(wfpak::Error error)
{
    switch (error) {
    case wfpak::Error::None: return WFPAK_OK;
    case wfpak::Error::Io: return WFPAK_EIO;
    case wfpak::Error::NoTrailer: return WFPAK_ENOTRAILER;
    case wfpak::Error::TooShort: return WFPAK_ETOOSHORT;
    case wfpak::Error::TrailerOutside:
    case wfpak::Error::BadFiller: return WFPAK_ETRAILER;
    case wfpak::Error::HeaderOutside: return WFPAK_EHEADER;
    case wfpak::Error::BadCount: return WFPAK_ECOUNT;
    case wfpak::Error::EntryOutside: return WFPAK_EENTRY;
    default: return WFPAK_EINDEX;
    }
}

wfpak::Key keyOf(const char *basicKey, const char *headerMask)
{
    return wfpak::Key::fromTexts(basicKey ? basicKey : "", headerMask ? headerMask : "");
}

// Runs an open, turning its outcome and any exhausted memory into a code.
template <typename Open>
int opened(wfpak_pack **pack, Open open)
{
    if (!pack)
        return WFPAK_EIO;
    *pack = new (std::nothrow) wfpak_pack;
    if (!*pack)
        return WFPAK_ENOMEM;
    try {
        if (open(**pack))
            return WFPAK_OK;
        (*pack)->error = (*pack)->pack.errorText();
        return codeOf((*pack)->pack.error());
    } catch (const std::bad_alloc &) {
        (*pack)->pack = wfpak::Pack();
        (*pack)->error = "out of memory";
        return WFPAK_ENOMEM;
    }
}

} // namespace

extern "C" {

int wfpak_open_file(wfpak_pack **pack, const char *path, const char *basic_key, const char *header_mask)
{
    return opened(pack, [&](wfpak_pack &p) {
        if (!path)
            return p.pack.openFile("", keyOf(basic_key, header_mask));
        return p.pack.openFile(path, keyOf(basic_key, header_mask));
    });
}

int wfpak_open_memory(wfpak_pack **pack, const void *data, size_t size, const char *basic_key, const char *header_mask)
{
    return opened(pack, [&](wfpak_pack &p) {
        p.memory = wfpak::MemorySource(data, data ? size : 0);
        return p.pack.open(p.memory, keyOf(basic_key, header_mask));
    });
}

const char *wfpak_errmsg(const wfpak_pack *pack)
{
    return pack ? pack->error.c_str() : "no pack (out of memory)";
}

size_t wfpak_count(const wfpak_pack *pack)
{
    return pack ? pack->pack.entries().size() : 0;
}

const char *wfpak_name(const wfpak_pack *pack, size_t index)
{
    return pack && index < pack->pack.entries().size() ? pack->pack.entries()[index].name.c_str() : nullptr;
}

uint32_t wfpak_size(const wfpak_pack *pack, size_t index)
{
    return pack && index < pack->pack.entries().size() ? pack->pack.entries()[index].size : 0;
}

long wfpak_find(const wfpak_pack *pack, const char *name)
{
    if (!pack || !name)
        return -1;
    try {
        const wfpak::Entry *e = pack->pack.find(name);
        return e ? long(e - pack->pack.entries().data()) : -1;
    } catch (const std::bad_alloc &) {
        return -1;
    }
}

int64_t wfpak_read(const wfpak_pack *pack, size_t index, uint64_t from, void *buffer, size_t len)
{
    if (!pack || index >= pack->pack.entries().size())
        return -1;
    const wfpak::Entry &e = pack->pack.entries()[index];
    if (from > e.size)
        return -1;
    const std::size_t n = len < e.size - from ? len : std::size_t(e.size - from);
    try {
        if (n > 0 && (!buffer || !pack->pack.readRange(e, from, buffer, n)))
            return -1;
    } catch (const std::bad_alloc &) { // the failure's text found no memory
        return -1;
    }
    return int64_t(n);
}

void wfpak_close(wfpak_pack *pack)
{
    delete pack;
}

const char *wfpak_version(void)
{
    return WFPAK_VERSION_TEXT;
}

} // extern "C"
