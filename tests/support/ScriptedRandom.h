#pragma once
#include "options/RandomSource.h"
#include <QByteArrayList>

// Hands out the scripted draws in order, then repeats the last (0 if none).
class ScriptedRandom : public wf::RandomSource {
public:
    QList<float> draws;
    int used = 0;

    float draw() override
    {
        return draws.isEmpty() ? 0.0f : draws.at(qMin<qsizetype>(used++, draws.size() - 1));
    }

    // Scripts a filler of exactly these bytes (range 255 leading, 254
    // trailing); a draw of (v + 0.5) / range floors to v.
    void addFiller(const QByteArray &bytes, int byteRange)
    {
        draws << (bytes.size() + 0.5f) / 500;
        for (char b : bytes)
            draws << (quint8(b) + 0.5f) / byteRange;
    }
};
