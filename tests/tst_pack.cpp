#include "pack/ExeAppend.h"
#include "pack/PackWriter.h"
#include "support/FailingDevice.h"
#include "support/FileSizeLimit.h"
#include "support/PackTestUtil.h"
#include "support/ScriptedRandom.h"
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace wf;
using namespace packtest;

static const std::array<quint8, 4> kKey{0x11, 0x22, 0x44, 0x88};
static const QByteArray kLead = QByteArray::fromHex("007ffe");
static const QByteArrayList kExample{"intro.txt", "Hello", "gfx\\title.bmp", "BM0123456789"};
static const QByteArray kWriteError = "Cannot write \"Data.Pak\": Simulated write failure";

// A writer into memory that fails after `writeLimit` bytes.
struct Build {
    ScriptedRandom random; // no draws: empty fillers
    FailingDevice out;
    PackWriter writer;
    explicit Build(const PackKey &key = {}, qint64 writeLimit = -1) : writer(out, "Data.Pak", key, random)
    {
        out.writeLimit = writeLimit;
        out.open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    }
};

class TestPack : public QObject {
    Q_OBJECT

private slots:
    void fillerRanges()
    {
        ScriptedRandom random; // the largest draw: the longest filler and largest byte, never one past
        random.draws = {0.99999994f};
        QCOMPARE(leadingFiller(random), QByteArray(499, char(254)));
        QCOMPARE(trailingFiller(random), QByteArray(499, char(253)));
    }

    void pack_data()
    {
        QTest::addColumn<bool>("encrypted");
        QTest::addColumn<QByteArray>("lead");
        QTest::addColumn<QByteArrayList>("members"); // name, content, name, content, ...
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("expected"); // the pack, or why there is none
        QTest::newRow("plain example") << false << kLead << kExample << qint64(-1) << 2 << QByteArray::fromHex(
            "19000000007ffe48656c6c6f424d3031323334353637383902000000696e74726f2e7478740d370d350d"
            "6766785c7469746c652e626d700d31320d31320d00fd");
        QTest::newRow("masked example") << true << kLead << kExample << qint64(-1) << 2 << QByteArray::fromHex(
            "18000080007ffec0214e7de7ca091220ba771624be731a2802000000e12a5663e76a5669fc49151cbd49"
            "4577f0185678fc28473fea29521cb9762f20ba4900fd"); // K0..K3 = 11 22 44 88, M = 80000001
        QTest::newRow("no files") << false << kLead << QByteArrayList() << qint64(-1) << 0
                                  << QByteArray::fromHex("08000000007ffe0000000000fd");
        QTest::newRow("empty files, no leading filler") << false << QByteArray()
            << QByteArrayList{"a", "", "b", "xyz", "c", ""} << qint64(-1) << 3 << QByteArray::fromHex("08000000")
            + "xyz" + QByteArray::fromHex("03000000") + "a\r4\r0\rb\r4\r3\rc\r7\r0\r" + QByteArray::fromHex("00fd");
        // The example has header 0..3, filler 4..6, members 7..23, count 24..27,
        // index 28..61, filler 62..63, then the header again over 0..3.
        QTest::newRow("fails in the first member") << false << kLead << kExample << qint64(9) << 0 << kWriteError;
        QTest::newRow("fails in the second member") << false << kLead << kExample << qint64(20) << 1 << kWriteError;
        QTest::newRow("fails in the index") << false << kLead << kExample << qint64(40) << 2 << kWriteError;
        QTest::newRow("fails in the final header") << false << kLead << kExample << qint64(66) << 2 << kWriteError;
    }
    void pack()
    {
        QFETCH(bool, encrypted);
        QFETCH(QByteArray, lead);
        QFETCH(QByteArrayList, members);
        QFETCH(qint64, limit);
        QFETCH(int, count);
        QFETCH(QByteArray, expected);
        Build b({encrypted, kKey, 0x80000001u}, limit); // unencrypted, the key and mask must play no part
        b.random.addFiller(lead, 255);
        b.random.addFiller(QByteArray::fromHex("00fd"), 254);
        QTemporaryDir dir;
        bool ok = b.writer.begin();
        for (int k = 0; ok && k + 1 < members.size(); k += 2) {
            const QString path = dir.filePath(QString::number(k));
            ok = writeFile(path, members[k + 1]) && b.writer.addMember(QString::fromUtf8(members[k]), path);
        }
        ok = ok && b.writer.finish();
        QCOMPARE(ok ? b.out.data() : b.writer.errorString().toUtf8(), expected);
        QCOMPARE(b.writer.count(), count);
    }

    void largeMemberMaskedAcrossChunks()
    {
        // Reads of an odd size end mid-word: the key cycle must carry on across them.
        FailingDevice member;
        member.readLimit = 333333;
        member.setData(pattern(5 * PackWriter::kChunk / 2 + 3));
        QVERIFY(member.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
        Build b({true, kKey, 0});
        QVERIFY(b.writer.begin() && b.writer.addMember("big.bin", member, member.size()));
        QCOMPARE(b.out.data().mid(4), xorCycle(member.data(), kKey));
    }

    void refusedMembers()
    {
        QTemporaryDir dir;
        QFile huge(dir.filePath("huge.bin")); // sparse
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1) << 31));
        Build b;
        QVERIFY(b.writer.begin() && !b.writer.addMember("gfx\\title.bmp", dir.filePath("title.bmp")));
        QCOMPARE(b.writer.errorString(), "Cannot read \"gfx\\title.bmp\": No such file or directory");
        QVERIFY(!QFile::exists(dir.filePath("title.bmp")));
        QVERIFY(!b.writer.addMember("huge.bin", huge.fileName()));
        QVERIFY(b.writer.errorString().contains("\"huge.bin\": files of 2 GiB or more"));
        QBuffer empty; // a member of size 0 is never read
        for (int i = 0; i < kMaxPackFiles; ++i)
            QVERIFY(b.writer.addMember(QString::number(i), empty, 0));
        QVERIFY(!b.writer.addMember("one too many", empty, 0));
        QVERIFY(b.writer.errorString().contains("\"one too many\": a pack holds at most 10,000 files"));
    }

    void append_data()
    {
        QTest::addColumn<qint64>("packSize");
        QTest::addColumn<qint64>("limit"); // on the 600-byte executable's size; -1 for none
        QTest::newRow("64-byte pack") << qint64(64) << qint64(-1);
        QTest::newRow("fails at the first pack byte") << qint64(64) << qint64(600);
        QTest::newRow("fails inside the second chunk") << 3 * PackWriter::kChunk + 5 << 600 + PackWriter::kChunk + 7;
        QTest::newRow("fails inside the trailer") << qint64(64) << qint64(600 + 64 + 7);
    }
    void append()
    {
        QFETCH(qint64, packSize);
        QFETCH(qint64, limit);
        QTemporaryDir dir;
        const QString exePath = dir.filePath("game.exe"), packPath = dir.filePath("Data.Pak");
        const QByteArray exe = pattern(600, 7), pack = pattern(packSize, 9);
        QVERIFY(writeFile(exePath, exe) && writeFile(packPath, pack));
        std::optional<FileSizeLimit> fsize;
        QVERIFY(limit < 0 || fsize.emplace(limit).isActive());
        const quint32 mask = 0x80000000u; // a reader working in signed words goes wrong here
        const QString error = appendPackToExecutable(exePath, "game.exe", packPath, mask);
        fsize.reset();
        QVERIFY2(limit < 0 ? error.isEmpty() : error.startsWith("Cannot write \"game.exe\": File too large"),
                 qPrintable(error));
        // A failure leaves the executable as it was, byte for byte.
        const QByteArray result = readFile(exePath);
        QVERIFY(result == (limit < 0 ? exe + pack + QByteArray::fromHex("59020080") + "QUILDX" : exe));
        QVERIFY(limit >= 0 || quint32(wordAt(result, 600 + packSize) - mask - 1) == 600u); // how the game finds it
    }

    void realExecutableStillRuns()
    {
        QTemporaryDir dir;
        const QString game = dir.filePath("game"), packPath = dir.filePath("Data.Pak");
        QVERIFY(QFile::copy("/bin/true", game));
        for (int round = 0; round < 2; ++round) {
            QVERIFY(writeFile(packPath, pattern(100 + round, round)));
            QCOMPARE(appendPackToExecutable(game, "game", packPath, 0x89ABCDEFu), QString());
            QCOMPARE(QProcess::execute(game, {}), 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestPack)
#include "tst_pack.moc"
