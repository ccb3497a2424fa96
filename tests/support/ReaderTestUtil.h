#pragma once
// Packs written by the tool's own writer or built by hand, stand-alone or
// appended, for the game-side reader and wrenfold-pak to read.
#include "options/RandomSource.h"
#include "pack/PackFormat.h"
#include "pack/PackWriter.h"
#include "support/PackTestUtil.h"
#include <QBuffer>
#include <QByteArrayList>

namespace readertest {

// The key and mask the masked packs use, as the window's boxes hold them.
inline const char *const kKeyText = "11224488";
inline const char *const kMaskText = "80000001";

inline wf::PackKey packKey(bool masked)
{
    return {masked, {0x11, 0x22, 0x44, 0x88}, masked ? 0x80000001u : 0u};
}

// `members` holds name, content, name, content, ...; names are UTF-8.
// `random` draws the fillers (by default a source in its starting state).
inline QByteArray writePack(const QByteArrayList &members, bool masked, wf::RandomSource &&random = wf::RandomSource())
{
    QBuffer out;
    out.open(QIODevice::ReadWrite);
    wf::PackWriter writer(out, QStringLiteral("Data.Pak"), packKey(masked), random);
    QString error;
    bool ok = writer.begin(error);
    for (int k = 0; ok && k + 1 < members.size(); k += 2) {
        QBuffer member;
        member.setData(members[k + 1]);
        member.open(QIODevice::ReadOnly);
        ok = writer.addMember(QString::fromUtf8(members[k]), member, members[k + 1].size(), error);
    }
    ok = ok && writer.finish(error);
    if (!ok)
        qWarning("writePack: %s", qPrintable(error));
    return ok ? out.data() : QByteArray();
}

// The worked example, built by hand: header, 3 filler bytes, intro.txt
// (5 bytes), gfx\title.bmp (12 bytes), count, index, 2 filler bytes; 64
// bytes in all. `index` and `count` can be replaced to damage it.
inline const QByteArray kExampleIndex = "intro.txt\r7\r5\rgfx\\title.bmp\r12\r12\r";
inline QByteArray example(const QByteArray &index = kExampleIndex, quint32 count = 2,
                          const QByteArray &leadingFiller = QByteArray::fromHex("007ffe"))
{
    return wf::leWord(25) + leadingFiller + "Hello" + "BM0123456789" + wf::leWord(count) + index
            + QByteArray::fromHex("00fd");
}

// The same, masked with the key and mask above.
inline QByteArray maskedExample()
{
    const std::array<quint8, 4> k{0x11, 0x22, 0x44, 0x88};
    return wf::leWord(25 ^ 0x80000001u) + QByteArray::fromHex("007ffe") + packtest::xorCycle("Hello", k)
            + packtest::xorCycle("BM0123456789", k) + wf::leWord(2) + packtest::xorCycle(kExampleIndex, k)
            + QByteArray::fromHex("00fd");
}

inline QByteArray trailer(quint32 word)
{
    return wf::leWord(word) + QByteArray(wf::kTrailerMarker);
}

// The tool's layout: the pack after the executable's last byte.
inline QByteArray appended(const QByteArray &exe, const QByteArray &pack, quint32 mask)
{
    return exe + pack + trailer(quint32(exe.size()) + 1 + mask);
}

// The older layout: the pack over the executable's last byte.
inline QByteArray appendOverLastByte(const QByteArray &exe, const QByteArray &pack, quint32 mask)
{
    return exe.left(exe.size() - 1) + pack + trailer(quint32(exe.size()) + mask);
}

} // namespace readertest
