#pragma once
#include "options/RandomSource.h"
#include <QByteArray>
#include <QList>

// Hands out the scripted draws in order; once they run out it repeats the
// last one (0 if there was none).
class ScriptedRandom : public wf::RandomSource {
public:
    QList<float> draws;
    int used = 0;

    float draw() override
    {
        const float r = used < draws.size() ? draws.at(used) : (draws.isEmpty() ? 0.0f : draws.last());
        ++used;
        return r;
    }

    // The draw that gives floor(r * range) == value.
    static float pick(int value, int range) { return (value + 0.5f) / range; }

    // Scripts a filler of exactly these bytes (range 255 leading, 254 trailing).
    void addFiller(const QByteArray &bytes, int byteRange)
    {
        draws << pick(int(bytes.size()), 500);
        for (char b : bytes)
            draws << pick(quint8(b), byteRange);
    }
};
