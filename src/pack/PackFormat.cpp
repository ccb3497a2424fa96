#include "pack/PackFormat.h"
#include <wfpak/KeyText.h>
#include "options/RandomSource.h"
#include <cmath>
#include <cstring>

namespace wf {

void KeyCycle::apply(char *data, qint64 len)
{
    wfpak::applyKeyCycle(reinterpret_cast<unsigned char *>(data), size_t(len), quint64(m_phase), m_key);
    m_phase = int((quint64(m_phase) + quint64(len)) & 3);
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
