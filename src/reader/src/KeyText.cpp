/*
 * Wrenfold pack reader: the key texts and the key's cycle over a run of
 * bytes. Copyright (c) 2026 Wrenfold developers. zlib licence: see
 * PakReader.h.
 */
#include <wfpak/KeyText.h>
#include <wfpak/PakLimits.h>
#include <cstring>
#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define WFPAK_SSE2 1
#include <emmintrin.h> // every x86-64 processor has SSE2
#else
#define WFPAK_SSE2 0
#endif

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

void applyKeyCycle(unsigned char *data, std::size_t len, std::uint64_t runPos, const std::array<std::uint8_t, 4> &key)
{
    // The cycle's period divides 16: XOR whole vectors (or words) of the
    // pattern, then the tail byte by byte.
    unsigned char pattern[16];
    for (std::size_t i = 0; i < 16; ++i)
        pattern[i] = key[3 - ((runPos + i) & 3)];
    std::size_t i = 0;
#if WFPAK_SSE2
    const __m128i word = _mm_loadu_si128(reinterpret_cast<const __m128i *>(pattern));
    for (; i + 64 <= len; i += 64) {
        __m128i *p = reinterpret_cast<__m128i *>(data + i);
        const __m128i a = _mm_loadu_si128(p), b = _mm_loadu_si128(p + 1);
        const __m128i c = _mm_loadu_si128(p + 2), d = _mm_loadu_si128(p + 3);
        _mm_storeu_si128(p, _mm_xor_si128(a, word));
        _mm_storeu_si128(p + 1, _mm_xor_si128(b, word));
        _mm_storeu_si128(p + 2, _mm_xor_si128(c, word));
        _mm_storeu_si128(p + 3, _mm_xor_si128(d, word));
    }
#else
    std::uint64_t word;
    std::memcpy(&word, pattern, 8);
    for (; i + 32 <= len; i += 32) {
        std::uint64_t v[4];
        std::memcpy(v, data + i, 32);
        v[0] ^= word;
        v[1] ^= word;
        v[2] ^= word;
        v[3] ^= word;
        std::memcpy(data + i, v, 32);
    }
#endif
    for (; i < len; ++i)
        data[i] = static_cast<unsigned char>(data[i] ^ pattern[i & 15]);
}

} // namespace wfpak
