#include "options/HexVal.h"

namespace wf {

namespace {
int hexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}
} // namespace

qint32 hexval(const QString &text)
{
    quint32 v = 0;
    int significant = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u' ' || c == u'\t' || c == u'\n')
            continue;
        const int d = hexDigit(c);
        if (d < 0)
            break;
        if (significant == 0 && d == 0)
            continue; // leading zeros take no room
        // Beyond eight significant digits the value would not fit in 32 bits;
        // such digits are ignored rather than wrapped.
        if (significant < 8) {
            v = v * 16 + quint32(d);
            ++significant;
        }
    }
    if (v <= 0xFFFF)
        return qint16(quint16(v));
    return qint32(v);
}

quint32 headerMask(const QString &text)
{
    return quint32(hexval(text));
}

std::array<quint8, 4> keyBytes(const QString &basicKey)
{
    std::array<quint8, 4> k{};
    for (int i = 0; i < 4; ++i) {
        // Two characters give at most FF, which stays positive in 16 bits.
        k[size_t(i)] = quint8(hexval(basicKey.mid(2 * i, 2)));
    }
    return k;
}

} // namespace wf
