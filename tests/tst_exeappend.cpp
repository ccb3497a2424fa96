#include "pack/ExeAppend.h"
#include "pack/PackWriter.h"
#include "support/FileSizeLimit.h"
#include "support/PackTestUtil.h"
#include "options/RandomSource.h"
#include <QBuffer>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>

using namespace wf;
using namespace packtest;

namespace {

// Builds a one-member masked pack at `path` with the program's random source.
bool buildPack(const QString &path, const QByteArray &content, quint32 mask)
{
    QSaveFile out(path);
    QByteArray bytes = content;
    QBuffer member(&bytes);
    PackWriter writer(out, "Data.Pak", PackKey{true, {1, 2, 3, 4}, mask}, RandomSource::shared());
    return out.open(QIODevice::WriteOnly) && member.open(QIODevice::ReadOnly) && writer.begin()
        && writer.addMember("readme.txt", member, bytes.size()) && writer.finish() && out.commit();
}

} // namespace

class TestExeAppend : public QObject {
    Q_OBJECT

private slots:
    void appendsAfterLastByte_data();
    void appendsAfterLastByte();
    void realExecutableStillRuns();
    void refused_data();
    void refused();
    void failurePartWayRestoresExecutable_data();
    void failurePartWayRestoresExecutable();
};

void TestExeAppend::appendsAfterLastByte_data()
{
    QTest::addColumn<quint32>("mask");
    QTest::addColumn<QByteArray>("trailer");
    QTest::newRow("no mask") << 0u << QByteArray::fromHex("59020000");
    QTest::newRow("mask with top bit") << 0x80000000u << QByteArray::fromHex("59020080");
    QTest::newRow("mask wrapping round") << 0xFFFFFF00u << QByteArray::fromHex("59010000");
}

void TestExeAppend::appendsAfterLastByte()
{
    QFETCH(quint32, mask);
    QFETCH(QByteArray, trailer);
    QTemporaryDir dir;
    const QByteArray exe = pattern(600, 7), pack = pattern(64, 9);
    QVERIFY(writeFile(dir.filePath("game.exe"), exe));
    QVERIFY(writeFile(dir.filePath("Data.Pak"), pack));
    QCOMPARE(appendPackToExecutable(dir.filePath("game.exe"), "game.exe", dir.filePath("Data.Pak"), mask),
             QString());
    const QByteArray result = readFile(dir.filePath("game.exe"));
    QCOMPARE(result.size(), 674);
    QCOMPARE(result.left(600), exe);
    QCOMPARE(result.mid(600, 64), pack);
    QCOMPARE(result.mid(664, 4).toHex(), trailer.toHex());
    QCOMPARE(result.mid(668), QByteArray("QUILDX"));
    QCOMPARE(quint32(wordAt(result, 664) - mask - 1), 600u); // how the game finds the pack
    QCOMPARE(readFile(dir.filePath("Data.Pak")), pack);
}

void TestExeAppend::realExecutableStillRuns()
{
    QTemporaryDir dir;
    const QString game = dir.filePath("game");
    const QString packPath = dir.filePath("Data.Pak");
    QVERIFY(QFile::copy("/bin/true", game));
    const quint32 mask = 0x89ABCDEFu;
    QList<qint64> starts;
    QByteArray packs[2];
    for (int round = 0; round < 2; ++round) {
        QVERIFY(buildPack(packPath, "pack " + QByteArray::number(round), mask));
        packs[round] = readFile(packPath);
        starts << QFileInfo(game).size();
        QCOMPARE(appendPackToExecutable(game, "game", packPath, mask), QString());

        QProcess run;
        run.start(game, {});
        QVERIFY(run.waitForFinished(10000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 0);

        const QByteArray bytes = readFile(game);
        QCOMPARE(bytes.right(6), QByteArray("QUILDX"));
        const qint64 start = quint32(wordAt(bytes, bytes.size() - 10) - mask - 1);
        QCOMPARE(start, starts.last());
        QCOMPARE(bytes.mid(start, packs[round].size()), packs[round]);
        QCOMPARE(bytes.size(), start + packs[round].size() + 10);
    }
    // The first pack and its trailer are still there, untouched, before the second.
    const QByteArray bytes = readFile(game);
    QCOMPARE(bytes.mid(starts[0], packs[0].size()), packs[0]);
    QCOMPARE(bytes.mid(starts[1] - 6, 6), QByteArray("QUILDX"));
}

void TestExeAppend::refused_data()
{
    QTest::addColumn<qint64>("exeSize"); // -1: no executable
    QTest::addColumn<bool>("packExists");
    QTest::addColumn<QString>("message");
    QTest::newRow("no executable") << qint64(-1) << true << "\"game.exe\"";
    QTest::newRow("no pack") << qint64(600) << false << "Cannot read \"Data.Pak\": No such file or directory";
    QTest::newRow("executable of 2 GiB - 1") << kMaxPackBytes << true << "2 GiB";
}

void TestExeAppend::refused()
{
    QFETCH(qint64, exeSize);
    QFETCH(bool, packExists);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString exePath = dir.filePath("game.exe");
    const QByteArray exe = pattern(qMin<qint64>(exeSize, 600), 3);
    if (exeSize >= 0) {
        QFile file(exePath);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(exe) == exe.size() && file.resize(exeSize));
    }
    if (packExists)
        QVERIFY(writeFile(dir.filePath("Data.Pak"), pattern(64)));
    const QString error = appendPackToExecutable(exePath, "game.exe", dir.filePath("Data.Pak"), 0);
    QVERIFY2(error.contains(message), qPrintable(error));
    QCOMPARE(QFileInfo(exePath).exists(), exeSize >= 0);
    if (exeSize >= 0) {
        QCOMPARE(QFileInfo(exePath).size(), exeSize);
        QFile file(exePath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(600), exe);
    }
}

void TestExeAppend::failurePartWayRestoresExecutable_data()
{
    // The executable is 600 bytes, the pack spans several copy chunks.
    QTest::addColumn<qint64>("limit");
    QTest::newRow("at the first pack byte") << qint64(600);
    QTest::newRow("inside the second chunk") << 600 + PackWriter::kChunk + 7;
    QTest::newRow("inside the trailer word") << 600 + 3 * PackWriter::kChunk + 5 + 2;
    QTest::newRow("before the marker's last byte") << 600 + 3 * PackWriter::kChunk + 5 + 9;
}

void TestExeAppend::failurePartWayRestoresExecutable()
{
    QFETCH(qint64, limit);
    QTemporaryDir dir;
    const QByteArray exe = pattern(600, 5);
    QVERIFY(writeFile(dir.filePath("game.exe"), exe));
    QVERIFY(writeFile(dir.filePath("Data.Pak"), pattern(3 * PackWriter::kChunk + 5)));
    QString error;
    {
        FileSizeLimit fsize(limit);
        QVERIFY(fsize.isActive());
        error = appendPackToExecutable(dir.filePath("game.exe"), "game.exe", dir.filePath("Data.Pak"), 0);
    }
    QVERIFY2(error.startsWith("Cannot write \"game.exe\": File too large"), qPrintable(error));
    QCOMPARE(readFile(dir.filePath("game.exe")), exe);
}

QTEST_GUILESS_MAIN(TestExeAppend)
#include "tst_exeappend.moc"
