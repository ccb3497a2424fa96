/*
 * Wrenfold pack reader: the key texts. Copyright (c) 2026 Wrenfold
 * developers. zlib licence: see PakReader.h.
 */
#include <wfpak/KeyText.h>
#include <wfpak/PakLimits.h>

namespace wfpak {

namespace {

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

bool continuation(const std::string &s, std::size_t i)
{
    return i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80;
}

} // namespace

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

std::array<std::uint8_t, 4> keyBytesFromText(const std::string &basicKey)
{
    std::array<std::uint8_t, 4> k{};
    const std::string units = utf16Units(basicKey);
    for (std::size_t i = 0; i < 4; ++i) {
        // Two characters give at most FF, which stays positive.
        const std::string slice = 2 * i < units.size() ? units.substr(2 * i, 2) : std::string();
        k[i] = static_cast<std::uint8_t>(hexval(slice));
    }
    return k;
}

} // namespace wfpak
