#pragma once
#include <QFile>
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
