#pragma once
#include <QFile>
#include <QStringList>
#include <QtEndian>
#include <array>

namespace packtest {

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline quint32 wordAt(const QByteArray &bytes, qint64 offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

// Byte j XOR K(3 - j mod 4); `key` holds K0..K3.
inline QByteArray xorCycle(QByteArray bytes, const std::array<quint8, 4> &key)
{
    for (qint64 j = 0; j < bytes.size(); ++j)
        bytes[j] = char(quint8(bytes[j]) ^ key[3 - j % 4]);
    return bytes;
}

// Deterministic content of any length; its period, 251 (a prime), is out of
// step with words and chunks.
inline QByteArray pattern(qint64 length, quint32 seed = 1)
{
    QByteArray bytes(length, Qt::Uninitialized);
    for (qint64 i = 0; i < length; ++i)
        bytes[i] = char((i * 97 + seed) % 251);
    return bytes;
}

} // namespace packtest

namespace packtest {

// "name=data" for each member, read the way the game reads a pack: the
// header word XOR mask gives the count word's position, the index follows
// it, and every member is unmasked with the cycle started afresh.
inline QStringList readPack(const QByteArray &pack, quint32 mask, const std::array<quint8, 4> &key)
{
    const qint64 c = qint64(wordAt(pack, 0) ^ mask);
    if (c < 5 || c + 3 > pack.size())
        return {QStringLiteral("bad header word")};
    const QList<QByteArray> fields = xorCycle(pack.mid(c + 3), key).split('\r');
    QStringList out;
    for (qsizetype k = 0; k < qsizetype(wordAt(pack, c - 1)) && 3 * k + 2 < fields.size(); ++k)
        out << fields[3 * k] + "=" + xorCycle(pack.mid(fields[3 * k + 1].toLongLong(), fields[3 * k + 2].toLongLong()), key);
    return out;
}

} // namespace packtest
