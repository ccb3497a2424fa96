#pragma once
#include <QString>
#include <functional>

namespace wf {

class RandomSource;

struct NewKey {
    QString basicKey;
    QString headerMask;
};

// Seconds since midnight, with fraction, in single precision.
float secondsSinceMidnight();

// One piece of a key: round(r * 255) in single precision, halves to even,
// as upper-case hexadecimal without leading zeros.
QString keyPiece(RandomSource &random);

// Makes a new Basic Key and Header Mask: four pairs of pieces, alternating
// key and mask, with a re-seed from `clock` before each pair, repeated until
// both texts have eight characters.
NewKey makeNewKey(RandomSource &random,
                  const std::function<float()> &clock = secondsSinceMidnight);

} // namespace wf
