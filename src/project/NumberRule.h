#pragma once
#include <QString>
#include <optional>

namespace wf {

// Reads a tick-box value from a profile line: blanks skipped anywhere, an
// optional sign, digits with at most one decimal point, an optional exponent,
// or "&H" followed by hexadecimal (hexval). Rounded half to even. No digits
// gives 0. Returns nothing when the value is outside -32768..32767 or is not
// 0, 1 or 2.
std::optional<int> tickValueFromLine(const QString &line);

// The number read by the rule above before the 0..2 check, or nothing when
// it lies outside -32768..32767.
std::optional<int> numberFromLine(const QString &line);

} // namespace wf
