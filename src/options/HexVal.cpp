#include "options/HexVal.h"
#include <wfpak/KeyText.h>

namespace wf {

// One rule for the tool and for the game: the reader a game takes in holds
// it. Characters outside ASCII end the digits either way.
qint32 hexval(const QString &text)
{
    return wfpak::hexval(text.toStdString());
}

quint32 headerMask(const QString &text)
{
    return quint32(hexval(text));
}

std::array<quint8, 4> keyBytes(const QString &basicKey)
{
    const std::array<std::uint8_t, 4> k = wfpak::keyBytesFromText(basicKey.toStdString());
    return {k[0], k[1], k[2], k[3]};
}

} // namespace wf
