#pragma once
// Text that came from an 8-bit Windows system: profiles and pack entry
// names are UTF-8 when written here, Windows-1252 when written there.
#include <QByteArrayView>
#include <QString>

namespace wf {

// 8-bit Windows-1252 bytes as text.
QString fromWindows1252(QByteArrayView bytes);
// The bytes as UTF-8 when they are valid UTF-8, else as Windows-1252.
QString fromUtf8OrWindows1252(QByteArrayView bytes);

} // namespace wf
