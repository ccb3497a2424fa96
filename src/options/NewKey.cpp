#include "options/NewKey.h"
#include "options/RandomSource.h"
#include <QTime>
#include <cmath>

namespace wf {

float secondsSinceMidnight()
{
    return float(QTime::currentTime().msecsSinceStartOfDay() / 1000.0);
}

QString keyPiece(RandomSource &random)
{
    const float scaled = random.draw() * 255.0f; // single precision on purpose
    const int value = int(std::nearbyintf(scaled)); // default mode: halves to even
    return QString::number(value, 16).toUpper();
}

NewKey makeNewKey(RandomSource &random, const std::function<float()> &clock)
{
    // A piece below 16 has one digit and leaves a text short; the whole key
    // is then made again rather than padded, so every byte ends up 10..FF.
    for (;;) {
        NewKey key;
        for (int pair = 0; pair < 4; ++pair) {
            random.reseed(clock());
            key.basicKey += keyPiece(random);
            key.headerMask += keyPiece(random);
        }
        if (key.basicKey.size() >= 8 && key.headerMask.size() >= 8)
            return key;
    }
}

} // namespace wf
