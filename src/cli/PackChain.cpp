#include "cli/PackChain.h"
#include <wfpak/PakLimits.h>
#include <cstring>

namespace wf {

namespace {

using wfpak::kTrailerLength;

// The first `length` bytes of another source: the file as it was before a
// later append.
class PrefixSource final : public wfpak::Source {
public:
    PrefixSource(const wfpak::Source &whole, std::uint64_t length) : m_whole(whole), m_length(length) {}
    std::uint64_t size() const override { return m_length; }
    bool readAt(std::uint64_t offset, void *buffer, std::size_t len) const override
    {
        return offset <= m_length && len <= m_length - offset && m_whole.readAt(offset, buffer, len);
    }

private:
    const wfpak::Source &m_whole;
    std::uint64_t m_length;
};

bool endsInMarker(wfpak::Source &source, std::uint64_t end, bool &marked)
{
    char tail[6];
    marked = false;
    if (end < kTrailerLength)
        return true;
    if (!source.readAt(end - 6, tail, 6))
        return false;
    marked = std::memcmp(tail, "QUILDX", 6) == 0;
    return true;
}

} // namespace

bool readPackChain(wfpak::Source &source, std::uint64_t end, const wfpak::Key &key, PackChain &chain,
                   std::string &error)
{
    chain = PackChain();
    for (;;) {
        bool marked = false;
        if (!endsInMarker(source, end, marked)) {
            error = "cannot read the file at offset " + std::to_string(end - 6);
            return false;
        }
        if (!marked)
            break;
        const std::string where = "the trailer ending at offset " + std::to_string(end);
        PrefixSource prefix(source, end);
        wfpak::Pack pack;
        // The reader refuses a trailer whose pack does not end where the
        // trailer starts (a filler over the format's limit), so every pack
        // in the chain is complete.
        if (!pack.open(prefix, key, wfpak::Pack::Find::Trailer)) {
            error = where + " leads to no pack that reads with this key and mask (" + pack.errorText()
                    + "; built with another key?)";
            return false;
        }
        const wfpak::Layout &l = pack.layout();
        chain.packs.push_back({l.packStart, end, l.count});
        end = l.packStart; // strictly below: the trailer word puts the pack before its trailer
    }
    chain.base = end;
    return true;
}

std::string stackedPacksNote(wfpak::Source &source, std::uint64_t newestStart, const wfpak::Key &key)
{
    PackChain chain;
    std::string why;
    if (!readPackChain(source, newestStart, key, chain, why))
        return "below this pack, " + why;
    if (chain.packs.empty())
        return {};
    const std::size_t n = chain.packs.size();
    return std::to_string(n) + (n == 1 ? " earlier pack is" : " earlier packs are") + " stacked below this one: "
           + std::to_string(newestStart - chain.base)
           + " bytes the game can never read (wrenfold-pak strip removes every pack; build again after it)";
}

} // namespace wf
