#pragma once
#include <QString>
#include <array>
#include <cstdint>

namespace wf {

// Reads a key or mask text as a number. Spaces, tabs and line feeds are
// skipped wherever they stand; hexadecimal digits of either case are read up
// to the first other character. Up to FFFF the value is taken as a signed
// 16-bit number, above it as a signed 32-bit number. At most eight
// significant digits are read (leading zeros do not count); any further
// digits are ignored, so no text can overflow. An "&" simply ends the digits.
qint32 hexval(const QString &text);

// The 32-bit pattern of hexval(text): the Header Mask word.
quint32 headerMask(const QString &text);

// The four key bytes K0..K3 from characters 1-2, 3-4, 5-6 and 7-8 of the
// Basic Key text; a slice past the end of the text gives 0.
std::array<quint8, 4> keyBytes(const QString &basicKey);

} // namespace wf
