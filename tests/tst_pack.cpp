// The pack writer's bytes, limits and failures; appending to an executable;
// the build's temporary file and commit. Every pack written is read back.
#include "pack/ExeAppend.h"
#include "pack/PackBuild.h"
#include "project/Profile.h"
#include "support/FailingDevice.h"
#include "support/FileSizeLimit.h"
#include "support/PackTestUtil.h"
#include "support/ScratchProject.h"
#include <QFileInfo>
#include <QTemporaryDir>
#include <QBuffer>
#include <QTest>
#include <optional>
#include <sys/stat.h>

using namespace wf;
using handbuilt::kKey;

namespace {
// Seekable and endless: keeps only the size of what was written.
struct NullDevice : QIODevice {
    NullDevice() { open(QIODevice::ReadWrite | QIODevice::Unbuffered); }
    qint64 size() const override { return written; }
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 len) override { return (written = qMax(written, pos() + len), len); }
    qint64 written = 0;
};
} // namespace

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
        const QByteArray index = handbuilt::kExampleIndex, filler = QByteArray::fromHex("007ffe");
        QTest::newRow("plain example") << false << fillers << example << qint64(-1) << handbuilt::example();
        QTest::newRow("masked example") << true << fillers << example << qint64(-1) << handbuilt::example(index, filler, true);
        // The largest draw (or 1, which no source gives) makes the longest fillers of the largest bytes, never one past.
        const QByteArray longest = QByteArray::fromHex("f8010000") + QByteArray(499, '\xfe') + QByteArray(4, 0) + QByteArray(499, '\xfd');
        QTest::newRow("no files, largest draw") << false << QList<float>{0.99999994f} << QByteArrayList() << qint64(-1) << longest;
        QTest::newRow("no files, a draw of 1") << false << QList<float>{1.0f} << QByteArrayList() << qint64(-1) << longest;
        QTest::newRow("empty files") << false << QList<float>() << QByteArrayList{"a", "", "b", "xyz", "c", ""} << qint64(-1)
            << QByteArray::fromHex("08000000") + "xyz" + QByteArray::fromHex("03000000") + "a\r4\r0\rb\r4\r3\rc\r7\r0\r";
        // The example: header 0..3, filler 4..6, members 7..23, count 24..27,
        // index 28..61, filler 62..63, then the header again over 0..3.
        const QByteArray error = "Cannot write \"Data.Pak\": Simulated write failure";
        QTest::newRow("fails in a member") << false << fillers << example << qint64(9) << error;
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
        PackWriter writer(out, "Data.Pak", {encrypted, kKey, handbuilt::kMask}, random);
        QString error;
        bool ok = writer.begin(error);
        QStringList read;
        for (int k = 0; ok && k + 1 < members.size(); k += 2) {
            FailingDevice member;
            member.buffer() = members[k + 1];
            ok = writer.addMember(QString::fromUtf8(members[k]), member, member.size(), error);
            read << QString::fromLatin1(members[k] + '=' + members[k + 1]);
        }
        ok = ok && writer.finish(error);
        QCOMPARE(ok ? out.data() : error.toUtf8(), expected);
        if (ok) // and the game reads back every member
            QCOMPARE(readback::members(out.data(), encrypted ? "11224488" : nullptr, encrypted ? "80000001" : nullptr), read);
    }

    // A member that arrives a few bytes at a time is masked as one run.
    void maskedInOddPieces()
    {
        ScriptedRandom random(fillerDraws(QByteArray::fromHex("007ffe"), 255) + fillerDraws(QByteArray::fromHex("00fd"), 254));
        QBuffer out;
        out.open(QIODevice::ReadWrite);
        PackWriter writer(out, "Data.Pak", {true, kKey, handbuilt::kMask}, random);
        QString error;
        bool ok = writer.begin(error);
        for (const auto &[name, data] : {std::pair{"intro.txt", "Hello"}, std::pair{"gfx\\title.bmp", "BM0123456789"}}) {
            QBuffer member;
            member.setData(data);
            member.open(QIODevice::ReadOnly);
            const auto threeAtATime = [&](char *d, qint64 len, QString &) { return member.read(d, qMin<qint64>(len, 3)); };
            ok = ok && writer.addMember(QString::fromLatin1(name), threeAtATime, member.size(), error);
        }
        QVERIFY2(ok && writer.finish(error), qPrintable(error));
        QCOMPARE(out.data(), handbuilt::example(handbuilt::kExampleIndex, QByteArray::fromHex("007ffe"), true));
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
        QVERIFY(!writer.addMember("a\rb", big, 0, error) && error.contains("carriage return"));
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
        QVERIFY(writer.finish(error)); // all 10,000 read back
        const QStringList read = readback::members(out.data(), "11224488", "0");
        QCOMPARE(read.size(), kMaxPackFiles);
        QCOMPARE(read.last(), QString("9999="));
    }

    // The index and the trailing filler, too, must end below 2 GiB. The
    // member's bytes are never kept, so the pack cannot be read back.
    void finishKeepsThePackBelow2GiB()
    {
        for (const qint64 over : {1, 0}) {
            NullDevice out;
            ScriptedRandom random;
            PackWriter writer(out, "Data.Pak", {}, random);
            // Header 4, the member, count 4, index "a\r4\r<10 digits>\r" 15: the member's size plus 23.
            const qint64 size = kMaxPackBytes - 23 + over;
            QString error;
            QVERIFY(writer.begin(error) && writer.addMember("a", [](char *, qint64 len, QString &) { return len; }, size, error));
            QCOMPARE(writer.finish(error), !over);
            QCOMPARE(out.size(), over ? size + 4 : kMaxPackBytes);
        }
    }

    // The whole extended executable, trailer included, must stay below 2 GiB:
    // sparse files reach the edge without writing it.
    void appendAtTheSizeLimit()
    {
        QTemporaryDir dir;
        const QString exePath = dir.filePath("game.exe"), packPath = dir.filePath("Data.Pak");
        const QByteArray pack = handbuilt::example();
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
            else // the pack and its trailer after the executable's last byte
                QVERIFY(exe.open(QIODevice::ReadOnly) && exe.seek(exeSize)
                        && exe.readAll() == pack + leWord(trailerWord(exeSize, 0)) + "QUILDX");
        }
    }

    void append_data()
    {
        QTest::addColumn<qint64>("packSize");
        QTest::addColumn<qint64>("limit"); // on the 600-byte executable's size; -1 for none
        QTest::newRow("one chunk") << qint64(64) << qint64(-1);
        QTest::newRow("fails inside the second chunk") << 3 * PackWriter::kChunk + 5 << 600 + PackWriter::kChunk + 7;
        QTest::newRow("fails inside the trailer") << qint64(64) << qint64(600 + 64 + 7);
    }
    void append()
    {
        QFETCH(qint64, packSize);
        QFETCH(qint64, limit);
        QTemporaryDir dir;
        const QString exePath = dir.filePath("game.exe"), packPath = dir.filePath("Data.Pak");
        const QByteArray exe = packtest::pattern(600, 7), pack = handbuilt::writePack({"m", packtest::pattern(packSize - 15, 9)}, true);
        QVERIFY(packtest::writeFile(exePath, exe) && packtest::writeFile(packPath, pack));
        std::optional<FileSizeLimit> fsize(std::in_place, limit); // scoped: the test log may be a file too
        // The mask's top bit set: a reader working in signed words goes wrong here.
        QString error;
        QCOMPARE(appendPackToExecutable(exePath, "game.exe", packPath, handbuilt::kMask, error), limit < 0);
        fsize.reset();
        QCOMPARE(error, QString(limit < 0 ? "" : "Cannot write \"game.exe\": File too large"));
        // A failure leaves the executable as it was, byte for byte.
        const QByteArray result = packtest::readFile(exePath);
        QCOMPARE(result, limit < 0 ? exe + pack + QByteArray::fromHex("5a020080") + "QUILDX" : exe);
        if (limit < 0)
            QCOMPARE(readback::members(result, "11224488", "80000001").size(), 1);
    }

    // Masked, sizes around words, chunks and the write-back step.
    void buildRoundTripsEverySizeClass()
    {
        ScratchProject project;
        const qint64 c = PackWriter::kChunk;
        const QList<qint64> sizes{0, 1, 3, 7, 8, 9, c - 1, c, c + 1, 3 * c + 5, (9 << 20) + 3};
        QStringList rows;
        for (int i = 0; i < sizes.size(); ++i) {
            rows << QStringLiteral("m%1.bin").arg(i, 2, 10, QLatin1Char('0'));
            project.write(rows.last(), packtest::pattern(sizes[i], i));
        }
        RandomSource random;
        ::umask(022);
        PackBuild pack({true, {0x5D, 0x5D, 0x5D, 0x5D}, 0x5B19C7E4u}, random);
        QString error;
        QVERIFY(pack.open(error));
        for (const QString &row : rows)
            QVERIFY2(pack.add(row, error), qPrintable(error));
        QVERIFY(pack.commit(error));
        // A new pack gets a new file's usual permissions, not a temporary file's 0600.
        QVERIFY(QFileInfo("Data.Pak").permissions().testFlag(QFileDevice::ReadOther));
        QCOMPARE(readback::members(project.read("Data.Pak"), "5D5D5D5D", "5B19C7E4"), readback::files(".", rows));
    }

    // The target turned into a non-empty folder while the build yielded:
    // the rename fails, is reported, and the folder and its file stay.
    void commitFailuresAreReported()
    {
        ScratchProject project;
        project.write("big.bin", QByteArray(3 * PackWriter::kChunk, 'b'));
        RandomSource random;
        PackBuild pack({}, random);
        pack.betweenChunks = [&] { return (project.write("Data.Pak/kept.txt", "kept"), true); };
        QString error;
        QVERIFY(pack.open(error) && pack.add("big.bin", error));
        QVERIFY(!pack.commit(error));
        QVERIFY2(error.startsWith("Cannot write \"Data.Pak\": "), qPrintable(error));
        QCOMPARE(project.read("Data.Pak/kept.txt"), QByteArray("kept"));
        project.write("PakProfile.QXT/kept.txt", "kept");
        QVERIFY(!writeProfile("PakProfile.QXT", Profile(), error));
        QVERIFY2(error.startsWith("Cannot save \"PakProfile.QXT\": "), qPrintable(error));
        QCOMPARE(project.read("PakProfile.QXT/kept.txt"), QByteArray("kept"));
        QCOMPARE(project.rootEntries(), QStringList{"big.bin"}); // no temporary file left
    }
};

QTEST_GUILESS_MAIN(TestPack)
#include "tst_pack.moc"
