// The one pack writer of the reader's tests (the tool's needs Qt; these run
// on Windows without it), and the check that a pack reads back as written.
#pragma once
#include "Check.h"
#include <wfpak/PakReader.h>
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

namespace packmaker {

struct Member { std::string name, data; };

// Masked packs use the key "11224488" (four different bytes, so a byte
// unmasked with its neighbour's key shows) and the mask "80000001".
constexpr std::uint32_t kMask = 0x80000001u;

inline wfpak::Key keyFor(bool isMasked) { return isMasked ? wfpak::Key::fromTexts("11224488", "80000001") : wfpak::Key(); }
inline std::string word(std::uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

inline std::string masked(std::string run, bool isMasked)
{
    static const unsigned char key[4] = {0x11, 0x22, 0x44, 0x88};
    for (std::size_t i = 0; isMasked && i < run.size(); ++i)
        run[i] = char(run[i] ^ key[3 - (i & 3)]);
    return run;
}

// Member `k`'s bytes (C99 and Python compute the same): no period of 4 or of
// any power of two, so a wrong phase or a piece from the wrong place shows.
inline std::string content(std::size_t k, std::size_t size)
{
    std::string out(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        out[i] = char((std::uint32_t(i) * 2654435761u) >> 24 ^ (k * 17 & 0xFF));
    return out;
}

// Header word, leading filler, members, count, index, trailing filler; each
// member and the index masked as runs of their own.
inline std::string pack(const std::vector<Member> &members, bool isMasked, std::size_t lead = 3, std::size_t trail = 2)
{
    std::string body = content(99, lead), index;
    for (const Member &m : members) {
        index += m.name + '\r' + std::to_string(4 + body.size()) + '\r' + std::to_string(m.data.size()) + '\r';
        body += masked(m.data, isMasked);
    }
    return word(std::uint32_t(4 + body.size() + 1) ^ (isMasked ? kMask : 0)) + body + word(std::uint32_t(members.size()))
           + masked(index, isMasked) + content(98, trail);
}

// The tool's layout: the pack after the executable's last byte, then the trailer.
inline std::string appended(const std::string &exe, const std::string &pak, bool isMasked)
{
    return exe + pak + word(std::uint32_t(exe.size() + 1 + (isMasked ? kMask : 0))) + "QUILDX";
}

// A game-like set: `count` members of varied sizes (every seventh empty)
// in a few folders, their names holding every letter of both cases.
inline std::vector<Member> sample(std::size_t count, std::size_t maxSize = 70000)
{
    std::vector<Member> out;
    for (std::size_t k = 0; k < count; ++k)
        out.push_back({"data\\dir" + std::to_string(k % 5) + "\\" + char('A' + k % 26) + char('z' - k % 26) + "File"
                               + std::to_string(k) + ".bin",
                       content(k, k % 7 == 0 ? 0 : (k * 7919) % maxSize)});
    return out;
}

// Every entry read whole and streamed in odd chunks, found by its name in
// the other case and with '/'.
inline void readsBack(const wfpak::Pack &pack, const std::vector<Member> &members)
{
    for (std::size_t k = 0; CHECK(pack.entries().size() == members.size()) && k < members.size(); ++k) {
        const wfpak::Entry &e = pack.entries()[k];
        std::string data(e.size, '\0'), other = e.name, streamed;
        CHECK(e.name == members[k].name && pack.read(e, &data[0], data.size()) && data == members[k].data);
        const auto sink = [&](const unsigned char *p, std::size_t n) { return streamed.append((const char *)p, n), true; };
        CHECK(pack.stream(e, sink, 4099) && streamed == data);
        for (char &c : other)
            c = c == '\\' ? '/' : char(std::isupper(static_cast<unsigned char>(c)) ? std::tolower(c) : std::toupper(c));
        CHECK(pack.find(other) == &e);
    }
}

} // namespace packmaker
