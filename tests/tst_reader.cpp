#include "options/HexVal.h"
#include "support/ReadBack.h"
#include "support/ReaderTestUtil.h"
#include <QCryptographicHash>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <random>

using wfpak::Error;
using readertest::example;
using readertest::maskedExample;
using readertest::kExampleIndex;

namespace {

const QByteArray kExe = QByteArray("\x7f" "ELF, a stand-in executable") + QByteArray(100, '\xff');
const quint32 kMask = 0x80000001u;

wfpak::Key maskedKey()
{
    return wfpak::Key::fromTexts("$11224488", "$80000001");
}

// A pack opened over bytes it keeps.
struct Reading {
    explicit Reading(const QByteArray &file, const wfpak::Key &key = {},
                     wfpak::Pack::Find find = wfpak::Pack::Find::Auto)
        : bytes(file), source(bytes.constData(), size_t(bytes.size()))
    {
        ok = pack.open(source, key, find);
    }
    QByteArray entry(const wfpak::Entry &e)
    {
        QByteArray data(qsizetype(e.size), Qt::Uninitialized);
        return pack.read(e, data.data(), size_t(data.size())) ? data : QByteArray("failed");
    }
    QByteArray bytes;
    wfpak::MemorySource source;
    wfpak::Pack pack;
    bool ok = false;
};

// With WRENFOLD_SEED_DIR set, the packs these tests read become the fuzzer's
// starting corpus (`make fuzz`): the byte fuzz/fuzz_reader.cpp reads first
// (the masked packs' key or none; a backward search for appended packs), then
// the file.
void keepAsSeed(const QByteArray &file, bool masked, bool appended = false)
{
    const QString dir = qEnvironmentVariable("WRENFOLD_SEED_DIR");
    if (dir.isEmpty() || file.size() > 16000)
        return;
    const QByteArray seed = QByteArray(1, char((masked ? 1 : 0) | (appended ? 0x40 : 0))) + file;
    QVERIFY(packtest::writeFile(dir + '/' + QCryptographicHash::hash(seed, QCryptographicHash::Sha1).toHex(), seed));
}

} // namespace

class TestReader : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<bool>("masked");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QByteArrayList>("members"); // name, content, name, content, ...
        const QList<QPair<const char *, QByteArrayList>> sets{
            {"three files", {"intro.txt", "Hello", "gfx\\title.bmp", "BM0123456789", "music\\Theme.ogg", packtest::pattern(7001)}},
            {"empty files", {"a", "", "b", "xyz", "c", ""}},
            {"no files", {}},
            {"non-ASCII names", {"données\\çà.txt", "é", "日本\\\xf0\x9d\x84\x9e.bin", packtest::pattern(9)}},
            {"large member", {"big.bin", packtest::pattern(300001, 7)}},
        };
        for (bool masked : {false, true})
            for (const char *where : {"alone", "appended", "over last byte", "appended twice"})
                for (const auto &set : sets)
                    QTest::addRow("%s, %s, %s", masked ? "masked" : "plain", where, set.first)
                            << masked << QString(where) << set.second;
    }
    void roundTrip()
    {
        QFETCH(bool, masked);
        QFETCH(QString, where);
        QFETCH(QByteArrayList, members);
        const QByteArray pack = readertest::writePack(members, masked);
        QVERIFY(!pack.isEmpty());
        const quint32 mask = masked ? kMask : 0;
        using readertest::appended;
        const QByteArray older = readertest::writePack({"old.txt", "stale", "intro.txt", "older"}, masked);
        const QByteArray file = where == "alone"            ? pack
                                : where == "over last byte" ? readertest::appendOverLastByte(kExe, pack, mask)
                                : where == "appended"       ? appended(kExe, pack, mask)
                                                            : appended(appended(kExe, older, mask), pack, mask);
        const qint64 start = where == "alone" ? 0 : where == "over last byte" ? kExe.size() - 1 : file.size() - 10 - pack.size();

        keepAsSeed(file, masked, where != "alone");
        Reading r(file, masked ? maskedKey() : wfpak::Key());
        QVERIFY2(r.ok, r.pack.errorText().c_str());
        const wfpak::Layout &layout = r.pack.layout();
        QCOMPARE(layout.appended, where != "alone");
        QCOMPARE(layout.packStart, quint64(start));
        QCOMPARE(layout.packSize(), quint64(pack.size()));
        QCOMPARE(layout.bytesAfter(), quint64(0));
        QStringList expected;
        for (int k = 0; k + 1 < members.size(); k += 2)
            expected << QString::fromUtf8(members[k]) + '=' + QString::fromLatin1(members[k + 1]);
        QCOMPARE(readback::members(file, masked ? readertest::kKeyText : nullptr, readertest::kMaskText), expected);

        // Members back to back after the leading filler, the count word right after them.
        quint64 next = 4 + r.pack.leadingFiller();
        QVERIFY(r.pack.leadingFiller() <= 499 && layout.trailingFiller() <= 499);
        for (const wfpak::Entry &e : r.pack.entries()) {
            QCOMPARE(e.offset, next);
            next += e.size;
            const QByteArray content = members[2 * int(&e - r.pack.entries().data()) + 1];
            // Any range: the key cycle restarts at the member's first byte, not the range's.
            for (quint64 from : {quint64(0), quint64(1), quint64(e.size / 3), quint64(e.size) - 1}) {
                if (from >= e.size)
                    continue;
                QByteArray part(qsizetype(qMin<quint64>(7, e.size - from)), '\0');
                QVERIFY(r.pack.readRange(e, from, part.data(), size_t(part.size())));
                QCOMPARE(part, content.mid(qsizetype(from), part.size()));
            }
            QByteArray streamed;
            QVERIFY(r.pack.stream(e, [&](const unsigned char *d, size_t n) {
                streamed.append(reinterpret_cast<const char *>(d), qsizetype(n));
                return n <= 4093;
            }, 4093));
            QCOMPARE(streamed, content);
            const QByteArray other = QByteArray::fromStdString(e.name).toUpper().replace('\\', '/');
            QCOMPARE(r.pack.find(other.toStdString()), &e);
        }
        QCOMPARE(quint64(layout.countPosition), next + 1);
    }

    void workedExample_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("masked");
        QTest::newRow("plain") << example() << false;
        QTest::newRow("masked") << maskedExample() << true;
    }
    void workedExample()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, masked);
        QCOMPARE(file.size(), 64);
        keepAsSeed(file, masked);
        Reading r(file, masked ? maskedKey() : wfpak::Key());
        QVERIFY2(r.ok, r.pack.errorText().c_str());
        QCOMPARE(r.pack.entries().size(), size_t(2));
        const wfpak::Entry &title = r.pack.entries()[1];
        QCOMPARE(title.name, std::string("gfx\\title.bmp"));
        QCOMPARE(title.offset, 12u);
        QCOMPARE(title.size, 12u);
        QCOMPARE(r.entry(title), QByteArray("BM0123456789"));
        QCOMPARE(r.entry(*r.pack.find("INTRO.TXT")), QByteArray("Hello"));
        const wfpak::Layout &l = r.pack.layout();
        QCOMPARE(l.headerWord, masked ? 0x80000018u : 0x19u);
        QCOMPARE(l.countPosition, 25u);
        QCOMPARE(l.count, 2u);
        QCOMPARE(l.indexEnd, quint64(62));
        QCOMPARE(l.trailingFiller(), quint64(2));
        QCOMPARE(r.pack.leadingFiller(), quint64(3));
    }

    // Every key and mask text gives the window's numbers, "$" or not.
    void keyTextsAsTheWindowReadsThem()
    {
        const QStringList pieces{"0", "5", "9", "a", "D", "f", "F", " ", "\t", "\n", "\r", "&", "$", "H", "g", "-",
                                 "é", "€", QString::fromUtf8("\xf0\x9d\x84\x9e")};
        std::mt19937 gen(12);
        for (int i = 0; i < 20000; ++i) {
            QString text;
            for (int n = int(gen() % 14); n > 0; --n)
                text += pieces[int(gen() % (gen() % 2 ? 7 : pieces.size()))]; // digits half the time
            // The window's box never holds the "$" the initialisation line adds.
            const QString bare = text.startsWith('$') ? text.mid(1) : text;
            for (const std::string &given : {text.toStdString(), "$" + bare.toStdString()}) {
                const wfpak::Key key = wfpak::Key::fromTexts(given, given);
                QCOMPARE(key.mask, wf::headerMask(bare));
                QVERIFY2(key.bytes == wf::keyBytes(bare), qPrintable(text));
            }
        }
    }

    // A file read from disk, through both kinds of file handle.
    void fileSources()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Game.exe");
        QVERIFY(packtest::writeFile(path, readertest::appended(kExe, example(), 0)));
        std::FILE *f = std::fopen(path.toLocal8Bit().constData(), "rb");
        QVERIFY(f);
        std::ifstream in(path.toLocal8Bit().constData(), std::ios::binary);
        wfpak::FileSource fileSource(f);
        wfpak::StreamSource streamSource(in);
        for (const wfpak::Source *source : std::initializer_list<const wfpak::Source *>{&fileSource, &streamSource}) {
            wfpak::Pack pack;
            QVERIFY(pack.open(*source));
            QCOMPARE(pack.layout().packStart, quint64(kExe.size()));
            char data[12];
            QVERIFY(pack.read(pack.entries()[1], data, sizeof data));
            QCOMPARE(QByteArray(data, 12), QByteArray("BM0123456789"));
        }
        std::fclose(f);
    }

    void badInput_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("key"); // Basic Key and Header Mask texts, or empty for a plain pack
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("says");
        const QByteArray ok = example();
        const quint32 e = quint32(kExe.size());
        auto row = [](const char *name, const QByteArray &file, Error error, const char *says, const QByteArray &key = {}) {
            QTest::newRow(name) << file << key << int(error) << QString(says);
        };
        row("empty file", {}, Error::TooShort, "even an empty pack has 8");
        row("seven bytes", ok.left(7), Error::TooShort, "has 7 bytes");
        row("cut in the count word", ok.left(26), Error::HeaderOutside, "outside the pack's 26 bytes");
        row("cut in the index", ok.left(50), Error::IndexCutShort, "entry 2 of 2 is complete: its name has no CR");
        row("cut before the last CR", ok.left(61), Error::IndexCutShort, "its size has no CR");
        row("last CR missing", example(kExampleIndex.chopped(1)), Error::BadNumber, "entry 2 of 2 (\"gfx\\title.bmp\"): its size holds the byte 0");
        row("header word 0", wf::leWord(0) + ok.mid(4), Error::HeaderOutside, "position 0");
        row("header past the end", wf::leWord(62) + ok.mid(4), Error::HeaderOutside, "position 62");
        row("wrong Header Mask", maskedExample(), Error::HeaderOutside, "wrong Header Mask", "11224488 0");
        row("wrong Basic Key", maskedExample(), Error::IndexCutShort, "Basic Key is wrong", "0 80000001");
        row("Basic Key one byte off", maskedExample(), Error::BadNumber, "its size holds the byte 117", "112244C8 80000001");
        row("count above 10,000", example(kExampleIndex, 10001), Error::BadCount, "10001 files, more than a pack holds");
        row("count negative", example(kExampleIndex, 0xFFFFFFFF), Error::BadCount, "negative");
        row("count beyond the index", example(kExampleIndex, 9), Error::BadCount, "cannot hold their index");
        row("index runs on", example(kExampleIndex, 3), Error::IndexCutShort, "entry 3 of 3");
        row("offset past the data", example("intro.txt\r7\r5\rgfx\\title.bmp\r20\r12\r"), Error::EntryOutside, "offset 20, size 12");
        row("offset in the header", example("intro.txt\r2\r5\rgfx\\title.bmp\r12\r12\r"), Error::EntryOutside, "offsets 4 to 24");
        row("size overflows 32 bits", example("intro.txt\r7\r4294967296\r"), Error::BadNumber, "exceeds 2147483647");
        row("offset and size at the limit", example("intro.txt\r2147483647\r2147483647\r"), Error::EntryOutside, "outside");
        row("leading zero", example("intro.txt\r07\r5\r"), Error::BadNumber, "its offset has a leading zero");
        row("signed size", example("intro.txt\r7\r+5\r"), Error::BadNumber, "no digit");
        row("empty offset", example("intro.txt\r\r5\r"), Error::BadNumber, "its offset is empty");
        row("trailer before the file", kExe + ok + readertest::trailer(0), Error::TrailerOutside, "before the file's first byte");
        row("trailer at -5", kExe + ok + readertest::trailer(0xFFFFFFFB), Error::TrailerOutside, "before the file's first byte");
        row("trailer past the end", kExe + ok + readertest::trailer(0x7FFFFFF0), Error::TrailerOutside, "at or past the trailer");
        row("trailer onto itself", kExe + ok + readertest::trailer(e + 64 - 2), Error::TrailerOutside, "too close");
        row("trailer to the executable's start", kExe + ok + readertest::trailer(1), Error::HeaderOutside, "nor does the whole file");
        row("appended pack cut short", kExe + ok.left(40) + readertest::trailer(e + 1), Error::IndexCutShort, "entry 1 of 2 is complete: its size has no CR");
    }
    void badInput()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, key);
        QFETCH(int, error);
        QFETCH(QString, says);
        const QList<QByteArray> texts = key.split(' ');
        Reading r(file, key.isEmpty() ? wfpak::Key() : wfpak::Key::fromTexts(texts[0].toStdString(), texts[1].toStdString()));
        QVERIFY(!r.ok);
        QVERIFY(!r.pack.isOpen() && r.pack.entries().empty());
        const QString text = QString::fromStdString(r.pack.errorText());
        QVERIFY2(text.contains(says), qPrintable(text));
        QCOMPARE(int(r.pack.error()), error);
    }

    // A read reports its failure itself; the Pack keeps the open's outcome.
    void readsRefused()
    {
        Reading r(example());
        QVERIFY(r.ok);
        const wfpak::Entry intro = r.pack.entries()[0];
        char buffer[8];
        wfpak::ReadError why;
        QVERIFY(!r.pack.read(intro, buffer, 4, &why));
        QCOMPARE(why.error, Error::OutOfRange);
        QVERIFY(!r.pack.readRange(intro, 3, buffer, 3));
        QVERIFY(!r.pack.readRange(intro, ~quint64(0), buffer, 2, &why)); // from + len wraps
        QCOMPARE(why.error, Error::OutOfRange);
        QVERIFY(!r.pack.readRange({"made up", 20, 8}, 0, buffer, 8, &why)); // runs into the count word
        QCOMPARE(why.error, Error::EntryOutside);
        QVERIFY(!r.pack.stream(intro, [](const unsigned char *, size_t) { return false; }, 4, &why));
        QCOMPARE(why.error, Error::Stopped);
        QVERIFY(!r.pack.find("intro.tx"));
        QVERIFY(!r.pack.readRaw(60, buffer, 5, &why));
        QCOMPARE(why.error, Error::OutOfRange);
        QVERIFY(r.pack.readRaw(62, buffer, 2) && buffer[1] == '\xfd');
        QCOMPARE(r.pack.error(), Error::None);
        QVERIFY(r.pack.errorText().empty());
        wfpak::Pack closed;
        QVERIFY(!closed.read(intro, buffer, 8, &why) && !why.text.empty());
        // A name given twice: the first in index order.
        Reading twice(example("a\r7\r5\rA\r12\r12\r"));
        QCOMPARE(twice.entry(*twice.pack.find("a")), QByteArray("Hello"));
    }

    // Fillers are below 254, so a stand-alone pack can end in "QUILDX".
    void standAloneEndingInMarker()
    {
        const QByteArray file = example() + QByteArray("\x05\0\0\0", 4) + wf::kTrailerMarker;
        Reading r(file);
        QVERIFY2(r.ok, r.pack.errorText().c_str());
        QVERIFY(!r.pack.layout().appended);
        QCOMPARE(r.entry(r.pack.entries()[1]), QByteArray("BM0123456789"));
        QCOMPARE(Reading(file, {}, wfpak::Pack::Find::Trailer).pack.error(), Error::HeaderOutside);
        QCOMPARE(Reading(example(), {}, wfpak::Pack::Find::Trailer).pack.error(), Error::NoTrailer);
    }

    // Bytes added after the trailer hide it from the last ten bytes; a
    // search backwards still finds the newest pack.
    void somethingAfterTheTrailer()
    {
        const QByteArray signature = "SIGNATURE" + QByteArray(70000, 'S') + "QUILDX";
        const QByteArray exe = readertest::appended(readertest::appended(kExe, readertest::writePack({"old", "x"}, true), kMask),
                                                    maskedExample(), kMask);
        Reading r(exe + signature, maskedKey());
        QVERIFY(!r.ok);
        QVERIFY(r.pack.openLastTrailer(r.source, maskedKey()));
        QCOMPARE(r.pack.layout().bytesAfter(), quint64(signature.size()));
        QCOMPARE(r.pack.layout().packStart, quint64(exe.size() - 10 - 64));
        QCOMPARE(r.entry(*r.pack.find("gfx/title.bmp")), QByteArray("BM0123456789"));
        QVERIFY(!r.pack.openLastTrailer(r.source, wfpak::Key()));
        QCOMPARE(r.pack.error(), Error::NoTrailer);
        // A file of nothing but markers whose words each point at its start
        // would cost a parse of the whole file per marker: the search stops.
        QByteArray markers = QByteArray::fromHex("0500000001000000");
        for (int i = 0; i < 5000; ++i)
            markers += QByteArray::fromHex("01000000") + "QUILDX";
        Reading crafted(markers, {});
        QVERIFY(!crafted.pack.openLastTrailer(crafted.source, {}));
        QVERIFY(QString::fromStdString(crafted.pack.errorText()).contains("gave up after"));
    }
};

QTEST_GUILESS_MAIN(TestReader)
#include "tst_reader.moc"
