#include "pack/PackFormat.h"
#include "options/RandomSource.h"
#include <cmath>
#include <cstring>

namespace wf {

void KeyCycle::apply(char *data, qint64 len)
{
    qint64 i = 0;
    for (; i < len && m_phase != 0; ++i) {
        data[i] = char(quint8(data[i]) ^ m_key[3 - m_phase]);
        m_phase = (m_phase + 1) & 3;
    }
    // Eight bytes in memory order K3 K2 K1 K0 K3 K2 K1 K0, whatever the host's
    // byte order, since the pattern is laid out byte by byte.
    unsigned char pattern[8];
    for (int b = 0; b < 8; ++b)
        pattern[b] = m_key[3 - (b & 3)];
    quint64 word;
    std::memcpy(&word, pattern, 8);
    for (; i + 8 <= len; i += 8) {
        quint64 v;
        std::memcpy(&v, data + i, 8);
        v ^= word;
        std::memcpy(data + i, &v, 8);
    }
    for (; i < len; ++i) {
        data[i] = char(quint8(data[i]) ^ m_key[3 - m_phase]);
        m_phase = (m_phase + 1) & 3;
    }
}

QByteArray leWord(quint32 value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((value >> (8 * i)) & 0xFF);
    return bytes;
}

bool writeAll(QIODevice &out, const char *data, qint64 len)
{
    while (len > 0) {
        const qint64 n = out.write(data, len);
        if (n <= 0)
            return false;
        data += n;
        len -= n;
    }
    return true;
}

namespace {

// floor(r * range) kept within 0..range-1. Done in double: in float an r just
// below 1 times the range can round up to the range itself.
int scaled(float r, int range)
{
    const double v = std::floor(static_cast<double>(r) * range);
    if (!(v >= 0))
        return 0; // also NaN
    return v > range - 1 ? range - 1 : int(v);
}

QByteArray filler(RandomSource &random, int highest)
{
    const int length = scaled(random.draw(), kMaxFillerLength + 1);
    QByteArray bytes(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i)
        bytes[i] = char(scaled(random.draw(), highest + 1));
    return bytes;
}

} // namespace

QByteArray leadingFiller(RandomSource &random)
{
    return filler(random, kLeadingFillerHighest);
}

QByteArray trailingFiller(RandomSource &random)
{
    return filler(random, kTrailingFillerHighest);
}

quint32 trailerWord(qint64 exeLength, quint32 mask)
{
    // A reader subtracts M and 1 to reach the pack's first byte.
    return quint32(quint64(exeLength) + 1) + mask;
}

} // namespace wf
