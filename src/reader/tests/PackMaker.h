// A plain C++ pack writer for the reader's tests only (the tool's writer
// needs Qt; these tests run on Windows without it). Writes the format the
// reader reads: header word, leading filler, members, count, index,
// trailing filler; each member and the index masked as runs of their own.
#pragma once
#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace packmaker {

struct Member {
    std::string name;
    std::string data;
};

// The masked packs' key: the texts "11224488" and "80000001".
inline const char *const kKeyText = "11224488";
inline const char *const kMaskText = "80000001";
inline const std::array<std::uint8_t, 4> kKey{0x11, 0x22, 0x44, 0x88};
inline const std::uint32_t kMask = 0x80000001u;

inline std::string word(std::uint32_t v)
{
    return {char(v & 0xFF), char(v >> 8 & 0xFF), char(v >> 16 & 0xFF), char(v >> 24 & 0xFF)};
}

inline std::string masked(std::string run, const std::array<std::uint8_t, 4> &k)
{
    for (std::size_t i = 0; i < run.size(); ++i)
        run[i] = char(static_cast<unsigned char>(run[i]) ^ k[3 - (i & 3)]);
    return run;
}

// Member `k`'s bytes: a multiplicative hash of the position, with no
// period of 4 or of any power of two a read might be split at, so a wrong
// phase or a piece read from the wrong place shows.
inline unsigned char contentByte(std::size_t k, std::size_t i)
{
    return static_cast<unsigned char>((std::uint32_t(i) * 2654435761u) >> 24 ^ (k * 17 & 0xFF));
}

inline std::string content(std::size_t k, std::size_t size)
{
    std::string out(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        out[i] = char(contentByte(k, i));
    return out;
}

inline std::string pack(const std::vector<Member> &members, bool isMasked, std::size_t lead = 3, std::size_t trail = 2)
{
    const std::array<std::uint8_t, 4> k = isMasked ? kKey : std::array<std::uint8_t, 4>{};
    std::string body, index;
    for (std::size_t i = 0; i < lead; ++i)
        body += char(i * 37 % 255);
    for (const Member &m : members) {
        index += m.name + '\r' + std::to_string(4 + body.size()) + '\r' + std::to_string(m.data.size()) + '\r';
        body += masked(m.data, k);
    }
    const std::uint32_t c = std::uint32_t(4 + body.size() + 1);
    std::string out = word(c ^ (isMasked ? kMask : 0)) + body + word(std::uint32_t(members.size())) + masked(index, k);
    for (std::size_t i = 0; i < trail; ++i)
        out += char(i * 11 % 254);
    return out;
}

// The tool's layout: the pack after the executable's last byte, then the trailer.
inline std::string appended(const std::string &exe, const std::string &pak, bool isMasked)
{
    return exe + pak + word(std::uint32_t(exe.size() + 1 + (isMasked ? kMask : 0))) + "QUILDX";
}

// A game-like set: `count` members of varied sizes in a few folders.
inline std::vector<Member> sample(std::size_t count, std::size_t maxSize = 70000)
{
    std::vector<Member> out;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t size = k % 7 == 0 ? 0 : (k * 7919) % maxSize;
        out.push_back({"data\\dir" + std::to_string(k % 5) + "\\File" + std::to_string(k) + ".bin", content(k, size)});
    }
    return out;
}

} // namespace packmaker
