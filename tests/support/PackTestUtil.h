#pragma once
// Files, content and random draws for the tests that write packs; the
// game-side reader reading them back; packs built by the writer or by hand.
#include "options/RandomSource.h"
#include "pack/PackFormat.h"
#include "pack/PackWriter.h"
#include <wfpak/PakReader.h>
#include <QBuffer>
#include <QByteArrayList>
#include <QDir>
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

// Byte j XOR K(3 - j mod 4), the key cycle; `key` holds K0..K3.
inline QByteArray xorCycle(QByteArray bytes, const std::array<quint8, 4> &key)
{
    for (qint64 j = 0; j < bytes.size(); ++j)
        bytes[j] = char(quint8(bytes[j]) ^ key[3 - j % 4]);
    return bytes;
}

// Content of any length, its period (251) out of step with words and chunks.
inline QByteArray pattern(qint64 length, quint32 seed = 1)
{
    QByteArray bytes(length, Qt::Uninitialized);
    for (qint64 i = 0; i < length; ++i)
        bytes[i] = char((i * 97 + seed) % 251);
    return bytes;
}

} // namespace packtest

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

namespace readback {

// "name=data" for every entry of a pack (or of an executable carrying one)
// in index order, or "error: ..."; `key` and `mask` as the window's boxes
// hold them, none for a plain pack.
inline QStringList members(const QByteArray &file, const char *key = nullptr, const char *mask = nullptr)
{
    wfpak::MemorySource source(file.constData(), size_t(file.size()));
    wfpak::Pack pack;
    if (!pack.open(source, key ? wfpak::Key::fromTexts(key, mask) : wfpak::Key()))
        return {QStringLiteral("error: ") + QString::fromStdString(pack.errorText())};
    QStringList out;
    for (const wfpak::Entry &e : pack.entries()) {
        QByteArray data(qsizetype(e.size), Qt::Uninitialized);
        wfpak::ReadError why;
        if (!pack.read(e, data.data(), size_t(data.size()), &why))
            return {QStringLiteral("error: ") + QString::fromStdString(why.text)};
        out << QString::fromStdString(e.name) + QLatin1Char('=') + QString::fromLatin1(data);
    }
    return out;
}

// What members() must give for a pack of `rows` (as the list shows them):
// each row's file under `dir` as it is.
inline QStringList files(const QString &dir, const QStringList &rows)
{
    QStringList out;
    for (const QString &row : rows) {
        const QByteArray data = packtest::readFile(QDir(dir).filePath(QString(row).replace(QLatin1Char('\\'), QLatin1Char('/'))));
        out << row + QLatin1Char('=') + QString::fromLatin1(data);
    }
    return out;
}

} // namespace readback

namespace handbuilt {

// The masked packs' key and mask; as texts, "11224488" and "80000001".
inline const std::array<quint8, 4> kKey{0x11, 0x22, 0x44, 0x88};
inline constexpr quint32 kMask = 0x80000001u;

// `members` holds name, content, name, content, ...; names are UTF-8. No fillers.
inline QByteArray writePack(const QByteArrayList &members, bool masked)
{
    QBuffer out;
    out.open(QIODevice::ReadWrite);
    ScriptedRandom random;
    wf::PackWriter writer(out, QStringLiteral("Data.Pak"), {masked, kKey, masked ? kMask : 0}, random);
    QString error;
    bool ok = writer.begin(error);
    for (int k = 0; ok && k + 1 < members.size(); k += 2) {
        QBuffer member;
        member.setData(members[k + 1]);
        member.open(QIODevice::ReadOnly);
        ok = writer.addMember(QString::fromUtf8(members[k]), member, members[k + 1].size(), error);
    }
    if (!(ok && writer.finish(error)))
        qFatal("writePack: %s", qPrintable(error));
    return out.data();
}

// The worked example: header, 3 filler bytes, intro.txt (5 bytes),
// gfx\title.bmp (12 bytes), count, index, 2 filler bytes; 64 bytes in all.
// `index` and the leading filler can be replaced to damage it.
inline const QByteArray kExampleIndex = "intro.txt\r7\r5\rgfx\\title.bmp\r12\r12\r";
inline QByteArray example(const QByteArray &index = kExampleIndex, const QByteArray &leadingFiller = QByteArray::fromHex("007ffe"),
                          bool masked = false)
{
    const auto m = [&](const QByteArray &run) { return masked ? packtest::xorCycle(run, kKey) : run; };
    return wf::leWord(masked ? 25 ^ kMask : 25) + leadingFiller + m("Hello")
            + m("BM0123456789") + wf::leWord(2) + m(index) + QByteArray::fromHex("00fd");
}

// The tool's layout: the pack after the executable's last byte.
inline QByteArray appended(const QByteArray &exe, const QByteArray &pack, quint32 mask)
{
    return exe + pack + wf::leWord(quint32(exe.size()) + 1 + mask) + QByteArray(wf::kTrailerMarker);
}

} // namespace handbuilt
