#pragma once
#include "options/RandomSource.h"
#include <QByteArrayList>

// Hands out the scripted draws in order, then repeats the last (0 if none).
class ScriptedRandom : public wf::RandomSource {
public:
    explicit ScriptedRandom(const QList<float> &draws = {}) : draws(draws) {}
    float draw() override { return draws.size() > 1 ? draws.takeFirst() : draws.value(0); }
    QList<float> draws;
};

// The draws that script a filler of exactly these bytes (range 255 leading,
// 254 trailing): a draw of (v + 0.5) / range floors to v.
inline QList<float> fillerDraws(const QByteArray &bytes, int byteRange)
{
    QList<float> draws{(bytes.size() + 0.5f) / 500};
    for (char b : bytes)
        draws << (quint8(b) + 0.5f) / byteRange;
    return draws;
}
