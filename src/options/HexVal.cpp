#include "options/HexVal.h"
#include "reader/PakReader.h"

namespace wf {

qint32 hexval(const QString &text)
{
    // One rule for the tool and for the game: the reader a game copies holds
    // it. Characters outside ASCII end the digits either way.
    return wfpak::hexval(text.toStdString());
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
