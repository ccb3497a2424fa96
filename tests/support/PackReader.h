#pragma once
// Reads a pack the way the game does: header word XOR mask gives the count
// word's position, the index follows it (masked with the key cycle when
// encrypted), and each member's data is unmasked with the cycle restarted.
#include "support/PackTestUtil.h"
#include <QList>
#include <QPair>

namespace packtest {

struct Member {
    QString name;
    qint64 offset = 0;
    QByteArray data;
};

// Returns false when the bytes do not hold a well-formed pack.
inline bool readPack(const QByteArray &pack, quint32 mask, const std::array<quint8, 4> &key,
                     QList<Member> &members)
{
    members.clear();
    if (pack.size() < 8)
        return false;
    const qint64 c = qint64(wordAt(pack, 0) ^ mask);
    if (c < 5 || c + 3 > pack.size())
        return false;
    const quint32 n = wordAt(pack, c - 1);
    const QByteArray index = xorCycle(pack.mid(c + 3), key);
    qint64 at = 0;
    auto field = [&](QByteArray &out) {
        const qint64 cr = index.indexOf('\r', at);
        if (cr < 0)
            return false;
        out = index.mid(at, cr - at);
        at = cr + 1;
        return true;
    };
    for (quint32 k = 0; k < n; ++k) {
        QByteArray name, offset, size;
        if (!field(name) || !field(offset) || !field(size))
            return false;
        Member m;
        m.name = QString::fromUtf8(name);
        m.offset = offset.toLongLong();
        const qint64 s = size.toLongLong();
        if (m.offset < 4 || m.offset + s > c - 1)
            return false;
        m.data = xorCycle(pack.mid(m.offset, s), key);
        members << m;
    }
    return true;
}

} // namespace packtest
