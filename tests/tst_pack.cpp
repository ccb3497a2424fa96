#include "pack/ExeAppend.h"
#include "pack/PackWriter.h"
#include "support/FailingDevice.h"
#include "support/FileSizeLimit.h"
#include "support/PackTestUtil.h"
#include "support/ReadBack.h"
#include "support/ReaderTestUtil.h"
#include "support/ScriptedRandom.h"
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace wf;

static const std::array<quint8, 4> kKey{0x11, 0x22, 0x44, 0x88};

class TestPack : public QObject {
    Q_OBJECT

private slots:
    void pack_data()
    {
        QTest::addColumn<bool>("encrypted");
        QTest::addColumn<QList<float>>("draws"); // for the fillers; none: no fillers
        QTest::addColumn<QByteArrayList>("members"); // name, content, name, content, ...
        QTest::addColumn<qint64>("limit"); // bytes the output accepts; -1 for all
        QTest::addColumn<QByteArray>("expected"); // the pack, or why there is none
        const QList<float> fillers =
            fillerDraws(QByteArray::fromHex("007ffe"), 255) + fillerDraws(QByteArray::fromHex("00fd"), 254);
        const QByteArrayList example{"intro.txt", "Hello", "gfx\\title.bmp", "BM0123456789"};
        QTest::newRow("plain example") << false << fillers << example << qint64(-1) << readertest::example();
        QTest::newRow("masked example") << true << fillers << example << qint64(-1) << readertest::maskedExample();
        // The largest draw gives the longest fillers of the largest bytes, never one past.
        QTest::newRow("no files, largest draw") << false << QList<float>{0.99999994f} << QByteArrayList() << qint64(-1)
            << QByteArray::fromHex("f8010000") + QByteArray(499, '\xfe') + QByteArray(4, 0) + QByteArray(499, '\xfd');
        QTest::newRow("empty files") << false << QList<float>() << QByteArrayList{"a", "", "b", "xyz", "c", ""} << qint64(-1)
            << QByteArray::fromHex("08000000") + "xyz" + QByteArray::fromHex("03000000") + "a\r4\r0\rb\r4\r3\rc\r7\r0\r";
        // The example has header 0..3, filler 4..6, members 7..23, count 24..27,
        // index 28..61, filler 62..63, then the header again over 0..3.
        const QByteArray error = "Cannot write \"Data.Pak\": Simulated write failure";
        QTest::newRow("fails in a member") << false << fillers << example << qint64(9) << error;
        QTest::newRow("fails in the index") << false << fillers << example << qint64(40) << error;
        QTest::newRow("fails in the final header") << false << fillers << example << qint64(66) << error;
    }
    void pack()
    {
        QFETCH(bool, encrypted);
        QFETCH(QList<float>, draws);
        QFETCH(QByteArrayList, members);
        QFETCH(qint64, limit);
        QFETCH(QByteArray, expected);
        ScriptedRandom random(draws);
        FailingDevice out(limit);
        // Unencrypted, the key and mask must play no part.
        PackWriter writer(out, "Data.Pak", {encrypted, kKey, 0x80000001u}, random);
        QTemporaryDir dir;
        QString error;
        bool ok = writer.begin(error);
        for (int k = 0; ok && k + 1 < members.size(); k += 2) {
            QFile member(dir.filePath(QString::number(k)));
            ok = packtest::writeFile(member.fileName(), members[k + 1]) && member.open(QIODevice::ReadOnly)
                 && writer.addMember(QString::fromUtf8(members[k]), member, member.size(), error);
        }
        ok = ok && writer.finish(error);
        QCOMPARE(ok ? out.data() : error.toUtf8(), expected);
        QStringList read; // and the game reads back every member
        for (int k = 0; ok && k + 1 < members.size(); k += 2)
            read << QString::fromLatin1(members[k] + '=' + members[k + 1]);
        if (ok)
            QCOMPARE(readback::members(out.data(), encrypted ? "11224488" : nullptr, encrypted ? "80000001" : nullptr),
                     read);
    }

    void membersStreamedOrRefused()
    {
        ScriptedRandom random; // no draws: no fillers
        FailingDevice out;
        PackWriter writer(out, "Data.Pak", {true, kKey, 0}, random);
        // Reads of an odd size end mid-word: the key cycle must carry on across them and the chunks.
        FailingDevice big(-1, 333333);
        big.buffer() = packtest::pattern(5 * PackWriter::kChunk / 2 + 3);
        QString error;
        int chunks = 0;
        writer.afterChunk = [&] { return ++chunks > 0; };
        QVERIFY(writer.begin(error) && writer.addMember("big.bin", big, big.size(), error));
        QCOMPARE(out.data().mid(4), packtest::xorCycle(big.data(), kKey));
        QVERIFY(chunks >= 2); // the caller gets a turn between the chunks of one member

        QVERIFY(!writer.addMember("huge.bin", big, qint64(1) << 31, error)); // refused before a byte is read
        QVERIFY(error.contains("\"huge.bin\": files of 2 GiB or more"));
        QVERIFY(!writer.addMember("a\rb", big, 0, error));
        QVERIFY(error.contains("carriage return"));
        FailingDevice shrunk; // measured at 4 bytes, holds 3 by the time it is read
        shrunk.buffer() = "abc";
        QVERIFY(!writer.addMember("shrunk", shrunk, 4, error) && error.contains("\"shrunk\": it became shorter"));
        FailingDevice broken(-1, 0); // a read error stops the member at once
        broken.buffer() = "abc";
        QVERIFY(!writer.addMember("broken", broken, 3, error));
        QCOMPARE(error, QString("Cannot read \"broken\": Simulated read failure"));
        // One byte too many for the count word to stay below 2 GiB: refused before a byte is read.
        const qint64 room = kMaxPackBytes - 4 - out.size();
        QVERIFY(!writer.addMember("edge", broken, room + 1, error) && error.contains("\"edge\": the pack would reach 2 GiB"));
        QVERIFY(!writer.addMember("edge", broken, room, error) && error.contains("Simulated read failure"));
        // big.bin was the first; refused members do not count, and one of size 0 is never read.
        for (int i = 1; i < kMaxPackFiles; ++i)
            QVERIFY(writer.addMember(QString::number(i), big, 0, error));
        QVERIFY(!writer.addMember("one too many", big, 0, error));
        QVERIFY(error.contains("\"one too many\": a pack holds at most 10,000 files"));
        // All 10,000 read back; the reader's own refusal of 10,001 is in its tests.
        QVERIFY(writer.finish(error));
        const QStringList read = readback::members(out.data(), "11224488", "0");
        QCOMPARE(read.size(), kMaxPackFiles);
        QCOMPARE(read.last(), QString("9999="));
    }

    // The whole extended executable, trailer included, must stay below 2 GiB:
    // sparse files reach the edge without writing it.
    void appendAtTheSizeLimit()
    {
        QTemporaryDir dir;
        const QString exePath = dir.filePath("game.exe"), packPath = dir.filePath("Data.Pak");
        const QByteArray pack = packtest::pattern(64, 9);
        QVERIFY(packtest::writeFile(packPath, pack));
        for (const qint64 over : {1, 0}) {
            QFile exe(exePath);
            const qint64 exeSize = kMaxPackBytes - 64 - kTrailerLength + over;
            QVERIFY(exe.open(QIODevice::WriteOnly) && exe.resize(exeSize));
            exe.close();
            QString error;
            QCOMPARE(appendPackToExecutable(exePath, "game.exe", packPath, 0, error), over == 0);
            QCOMPARE(QFileInfo(exePath).size(), over ? exeSize : kMaxPackBytes);
            if (over)
                QVERIFY(error.contains("together they would reach 2 GiB"));
            else
                QVERIFY(exe.open(QIODevice::ReadOnly) && exe.seek(exeSize) && exe.readAll() == pack + leWord(trailerWord(exeSize, 0)) + "QUILDX");
        }
    }

    void append_data()
    {
        QTest::addColumn<qint64>("packSize");
        QTest::addColumn<qint64>("limit"); // on the 600-byte executable's size; -1 for none
        QTest::newRow("64-byte pack") << qint64(64) << qint64(-1);
        QTest::newRow("fails inside the second chunk") << 3 * PackWriter::kChunk + 5 << 600 + PackWriter::kChunk + 7;
        QTest::newRow("fails inside the trailer") << qint64(64) << qint64(600 + 64 + 7);
    }
    void append()
    {
        QFETCH(qint64, packSize);
        QFETCH(qint64, limit);
        QTemporaryDir dir;
        const QString exePath = dir.filePath("game.exe"), packPath = dir.filePath("Data.Pak");
        const QByteArray exe = packtest::pattern(600, 7), pack = packtest::pattern(packSize, 9);
        QVERIFY(packtest::writeFile(exePath, exe) && packtest::writeFile(packPath, pack));
        std::optional<FileSizeLimit> fsize(std::in_place, limit); // scoped: the test log may be a file too
        // The mask's top bit set: a reader working in signed words goes wrong here.
        QString error;
        const bool ok = appendPackToExecutable(exePath, "game.exe", packPath, 0x80000000u, error);
        QCOMPARE(ok, limit < 0);
        fsize.reset();
        QCOMPARE(error, QString(limit < 0 ? "" : "Cannot write \"game.exe\": File too large"));
        // A failure leaves the executable as it was, byte for byte.
        QFile result(exePath);
        QVERIFY(result.open(QIODevice::ReadOnly));
        QCOMPARE(result.readAll(), limit < 0 ? exe + pack + QByteArray::fromHex("59020080") + "QUILDX" : exe);
    }

};

QTEST_GUILESS_MAIN(TestPack)
#include "tst_pack.moc"
