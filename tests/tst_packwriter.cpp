#include "pack/PackWriter.h"
#include "support/FailingDevice.h"
#include "support/PackTestUtil.h"
#include "support/ScriptedRandom.h"
#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

using namespace wf;
using namespace packtest;

namespace {

const QByteArray kLead = QByteArray::fromHex("007ffe");
const QByteArray kTrail = QByteArray::fromHex("00fd");

// Reads as many zero bytes as asked: a huge member without a huge file.
class ZeroDevice : public QIODevice {
public:
    bool isSequential() const override { return false; }
protected:
    qint64 readData(char *data, qint64 maxSize) override { std::memset(data, 0, size_t(maxSize)); return maxSize; }
    qint64 writeData(const char *, qint64) override { return -1; }
};

// Accepts and forgets everything written to it.
class NullDevice : public QIODevice {
public:
    bool isSequential() const override { return false; }
    qint64 size() const override { return m_size; }
protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 len) override { m_size = qMax(m_size, pos() + len); return len; }
private:
    qint64 m_size = 0;
};

PackKey plainKey() { return {}; }

} // namespace

class TestPackWriter : public QObject {
    Q_OBJECT

private slots:
    void fillerRanges_data();
    void fillerRanges();
    void workedExample_data();
    void workedExample();
    void layouts_data();
    void layouts();
    void largeMemberMaskedAcrossChunks_data();
    void largeMemberMaskedAcrossChunks();
    void writeFailure_data();
    void writeFailure();
    void vanishedMemberIsNotCreated();
    void memberReadsExactlyItsSize();
    void refusedMember_data();
    void refusedMember();
    void tooManyMembers();
    void packLimitAtFinish();
};

void TestPackWriter::fillerRanges_data()
{
    QTest::addColumn<bool>("trailing");
    QTest::addColumn<float>("draw");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("byte");
    QTest::newRow("leading, draws at 0") << false << 0.0f << 0 << 0;
    QTest::newRow("leading, draws just below 1") << false << 0.99999994f << 499 << 254;
    QTest::newRow("leading, draws of 1 clamped") << false << 1.0f << 499 << 254;
    QTest::newRow("trailing, draws at 0") << true << 0.0f << 0 << 0;
    QTest::newRow("trailing, draws just below 1") << true << 0.99999994f << 499 << 253;
    QTest::newRow("trailing, draws of 1 clamped") << true << 1.0f << 499 << 253;
}

void TestPackWriter::fillerRanges()
{
    QFETCH(bool, trailing);
    QFETCH(float, draw);
    QFETCH(int, length);
    QFETCH(int, byte);
    ScriptedRandom random;
    random.draws = {draw};
    const QByteArray filler = trailing ? trailingFiller(random) : leadingFiller(random);
    QCOMPARE(filler, QByteArray(length, char(byte)));
    QCOMPARE(random.used, length + 1);
}

void TestPackWriter::workedExample_data()
{
    QTest::addColumn<bool>("encrypted");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("plain") << false
        << QByteArray::fromHex("19000000007ffe48656c6c6f424d3031323334353637383902000000"
                               "696e74726f2e7478740d370d350d6766785c7469746c652e626d700d"
                               "31320d31320d00fd");
    // K0..K3 = 11 22 44 88, M = 80000001
    QTest::newRow("masked") << true
        << QByteArray::fromHex("18000080007ffec0214e7de7ca091220ba771624be731a2802000000"
                               "e12a5663e76a5669fc49151cbd494577f0185678fc28473fea29521c"
                               "b9762f20ba4900fd");
}

void TestPackWriter::workedExample()
{
    QFETCH(bool, encrypted);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("gfx"));
    QVERIFY(writeFile(dir.filePath("intro.txt"), "Hello"));
    QVERIFY(writeFile(dir.filePath("gfx/title.bmp"), "BM0123456789"));

    ScriptedRandom random;
    random.addFiller(kLead, 255);
    random.addFiller(kTrail, 254);
    // Without encryption the key and mask must play no part even when set.
    const PackKey key{encrypted, {0x11, 0x22, 0x44, 0x88}, 0x80000001u};
    FailingDevice out;
    QVERIFY(out.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
    PackWriter writer(out, "Data.Pak", key, random);
    QVERIFY(writer.begin());
    QVERIFY2(writer.addMember("intro.txt", dir.filePath("intro.txt")), qPrintable(writer.errorString()));
    QVERIFY2(writer.addMember("gfx\\title.bmp", dir.filePath("gfx/title.bmp")), qPrintable(writer.errorString()));
    QVERIFY2(writer.finish(), qPrintable(writer.errorString()));
    QCOMPARE(out.data().toHex(), expected.toHex());
    QCOMPARE(writer.bytesWritten(), 64);
    QCOMPARE(writer.count(), 2);
}

void TestPackWriter::layouts_data()
{
    QTest::addColumn<int>("leading");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QByteArrayList>("contents");
    QTest::addColumn<quint32>("c");
    QTest::addColumn<QByteArray>("index");
    QTest::newRow("no files") << 7 << QStringList() << QByteArrayList() << 12u << QByteArray();
    QTest::newRow("empty files share the next offset, last one the count word's")
        << 2 << QStringList{"a", "b", "c"} << QByteArrayList{"", "xyz", ""} << 10u
        << QByteArray("a\r6\r0\rb\r6\r3\rc\r9\r0\r");
    QTest::newRow("no leading filler") << 0 << QStringList{"x"} << QByteArrayList{"ab"} << 7u
                                       << QByteArray("x\r4\r2\r");
}

void TestPackWriter::layouts()
{
    QFETCH(int, leading);
    QFETCH(QStringList, names);
    QFETCH(QByteArrayList, contents);
    QFETCH(quint32, c);
    QFETCH(QByteArray, index);
    ScriptedRandom random;
    random.addFiller(QByteArray(leading, 'L'), 255);
    random.addFiller("T", 254);
    QBuffer out;
    QVERIFY(out.open(QIODevice::ReadWrite));
    PackWriter writer(out, "Data.Pak", plainKey(), random);
    QVERIFY(writer.begin());
    for (int i = 0; i < names.size(); ++i) {
        QBuffer member(&contents[i]);
        QVERIFY(member.open(QIODevice::ReadOnly));
        QVERIFY(writer.addMember(names[i], member, contents[i].size()));
    }
    QVERIFY(writer.finish());
    const QByteArray pack = out.data();
    QCOMPARE(wordAt(pack, 0), c);
    QCOMPARE(pack.mid(4, leading), QByteArray(leading, 'L'));
    QCOMPARE(pack.mid(4 + leading, c - 5 - leading), contents.join());
    QCOMPARE(wordAt(pack, c - 1), quint32(names.size()));
    QCOMPARE(pack.mid(c + 3), index + "T");
}

void TestPackWriter::largeMemberMaskedAcrossChunks_data()
{
    QTest::addColumn<bool>("shortReads");
    QTest::newRow("file") << false;
    // Reads of an odd size put every chunk boundary mid-word.
    QTest::newRow("short reads") << true;
}

void TestPackWriter::largeMemberMaskedAcrossChunks()
{
    QFETCH(bool, shortReads);
    const qint64 size = 5 * PackWriter::kChunk / 2 + 3;
    const QByteArray content = pattern(size);
    const std::array<quint8, 4> key{0xA1, 0xB2, 0xC3, 0xD4};
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("big.bin"), content));
    FailingDevice device(-1, content);
    device.setReadLimit(333333);
    QVERIFY(device.open(QIODevice::ReadOnly | QIODevice::Unbuffered));

    ScriptedRandom random; // no fillers
    QBuffer out;
    QVERIFY(out.open(QIODevice::ReadWrite));
    PackWriter writer(out, "Data.Pak", PackKey{true, key, 0}, random);
    QVERIFY(writer.begin());
    QVERIFY(shortReads ? writer.addMember("big.bin", device, size)
                       : writer.addMember("big.bin", dir.filePath("big.bin")));
    QVERIFY(writer.finish());
    QCOMPARE(out.data().mid(4, size), xorCycle(content, key));
}

void TestPackWriter::writeFailure_data()
{
    // The worked example is 64 bytes: header 0..3, filler 4..6, members 7..23,
    // count word 24..27, index 28..61, filler 62..63, then the header again.
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<int>("failingStep"); // 0 begin, 1 and 2 members, 3 finish
    QTest::newRow("header placeholder") << qint64(0) << 0;
    QTest::newRow("leading filler") << qint64(5) << 0;
    QTest::newRow("first member") << qint64(9) << 1;
    QTest::newRow("second member") << qint64(20) << 2;
    QTest::newRow("count word") << qint64(26) << 3;
    QTest::newRow("index") << qint64(40) << 3;
    QTest::newRow("trailing filler") << qint64(63) << 3;
    QTest::newRow("final header") << qint64(66) << 3;
}

void TestPackWriter::writeFailure()
{
    QFETCH(qint64, limit);
    QFETCH(int, failingStep);
    ScriptedRandom random;
    random.addFiller(kLead, 255);
    random.addFiller(kTrail, 254);
    FailingDevice out(limit);
    QVERIFY(out.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
    PackWriter writer(out, "Data.Pak", plainKey(), random);
    QByteArray intro("Hello"), title("BM0123456789");
    QBuffer m1(&intro), m2(&title);
    QVERIFY(m1.open(QIODevice::ReadOnly) && m2.open(QIODevice::ReadOnly));
    const bool ok[] = {writer.begin(), writer.addMember("intro.txt", m1, 5),
                       writer.addMember("gfx\\title.bmp", m2, 12), writer.finish()};
    int step = 0;
    while (step < 4 && ok[step])
        ++step;
    QCOMPARE(step, failingStep);
    QCOMPARE(writer.errorString(), QStringLiteral("Cannot write \"Data.Pak\": Simulated write failure"));
}

void TestPackWriter::vanishedMemberIsNotCreated()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("gfx"));
    const QString path = dir.filePath("gfx/title.bmp");
    ScriptedRandom random;
    QBuffer out;
    QVERIFY(out.open(QIODevice::ReadWrite));
    PackWriter writer(out, "Data.Pak", plainKey(), random);
    QVERIFY(writer.begin());
    QVERIFY(!writer.addMember("gfx\\title.bmp", path));
    QCOMPARE(writer.errorString(), QStringLiteral("Cannot read \"gfx\\title.bmp\": No such file or directory"));
    QVERIFY(!QFile::exists(path));
}

void TestPackWriter::memberReadsExactlyItsSize()
{
    QByteArray content("0123456789");
    ScriptedRandom random;
    QBuffer out;
    QVERIFY(out.open(QIODevice::ReadWrite));
    PackWriter writer(out, "Data.Pak", plainKey(), random);
    QVERIFY(writer.begin());
    QBuffer grown(&content); // longer than its recorded size: the rest is not read
    QVERIFY(grown.open(QIODevice::ReadOnly));
    QVERIFY(writer.addMember("grown", grown, 3));
    QCOMPARE(grown.pos(), 3);
    QBuffer shrunk(&content); // shorter than its recorded size
    QVERIFY(shrunk.open(QIODevice::ReadOnly));
    QVERIFY(!writer.addMember("shrunk", shrunk, 11));
    QVERIFY(writer.errorString().startsWith("Cannot read \"shrunk\": "));
}

void TestPackWriter::refusedMember_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("reason");
    QTest::newRow("member of 2 GiB") << "huge.bin" << (qint64(1) << 31) << "files of 2 GiB or more";
    // Data from offset 4 to 2^31 - 5 would put the count word's last byte at 2^31.
    QTest::newRow("pack would reach 2 GiB") << "big.bin" << (qint64(1) << 31) - 8 << "would reach 2 GiB";
    QTest::newRow("carriage return in name") << "a\rb" << qint64(1) << "carriage return";
}

void TestPackWriter::refusedMember()
{
    QFETCH(QString, name);
    QFETCH(qint64, size);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QFile sparse(dir.filePath("member"));
    QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(size));
    sparse.close();
    ScriptedRandom random; // no leading filler
    QBuffer out;
    QVERIFY(out.open(QIODevice::ReadWrite));
    PackWriter writer(out, "Data.Pak", plainKey(), random);
    QVERIFY(writer.begin());
    QVERIFY(!writer.addMember(name, sparse.fileName()));
    QVERIFY2(writer.errorString().contains('"' + name + '"') && writer.errorString().contains(reason),
             qPrintable(writer.errorString()));
    QCOMPARE(writer.bytesWritten(), 4);
    QCOMPARE(writer.count(), 0);
}

void TestPackWriter::tooManyMembers()
{
    ScriptedRandom random;
    QBuffer out, empty;
    QVERIFY(out.open(QIODevice::ReadWrite) && empty.open(QIODevice::ReadOnly));
    PackWriter writer(out, "Data.Pak", plainKey(), random);
    QVERIFY(writer.begin());
    for (int i = 0; i < kMaxPackFiles; ++i)
        QVERIFY(writer.addMember(QString::number(i), empty, 0));
    QVERIFY(!writer.addMember("one too many", empty, 0));
    QVERIFY2(writer.errorString().contains("at most 10,000 files"), qPrintable(writer.errorString()));
    QCOMPARE(writer.count(), kMaxPackFiles);
}

void TestPackWriter::packLimitAtFinish()
{
    // The data ends where the count word just fits below 2 GiB; the index
    // behind it does not, so finish() must refuse without writing.
    ScriptedRandom random;
    NullDevice out;
    ZeroDevice zeros;
    QVERIFY(out.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
    QVERIFY(zeros.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    PackWriter writer(out, "Data.Pak", plainKey(), random);
    QVERIFY(writer.begin());
    QVERIFY2(writer.addMember("z", zeros, kMaxPackBytes - 8), qPrintable(writer.errorString()));
    QCOMPARE(writer.bytesWritten(), kMaxPackBytes - 4);
    QVERIFY(!writer.finish());
    QVERIFY(writer.errorString().contains("would reach 2 GiB"));
    QCOMPARE(out.size(), kMaxPackBytes - 4);
}

QTEST_GUILESS_MAIN(TestPackWriter)
#include "tst_packwriter.moc"
