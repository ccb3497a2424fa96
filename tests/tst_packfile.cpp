// The core build without a window: driven row by row, abandoned part way,
// and members of every size class read back byte for byte.
#include "options/RandomSource.h"
#include "pack/PackBuild.h"
#include "pack/PackWriter.h"
#include "project/Profile.h"
#include "support/PackTestUtil.h"
#include "support/ReadBack.h"
#include "support/ScratchProject.h"
#include <QTest>
#include <sys/stat.h>

using namespace wf;

namespace {
const PackKey kMasked{true, {0x5D, 0x5D, 0x5D, 0x5D}, 0x5B19C7E4u};
}

class TestPackBuild : public QObject {
    Q_OBJECT
private slots:
    void everySizeClassRoundTrips_data()
    {
        QTest::addColumn<bool>("masked");
        QTest::newRow("plain") << false;
        QTest::newRow("masked") << true;
    }
    void everySizeClassRoundTrips()
    {
        QFETCH(bool, masked);
        ScratchProject project;
        // Around words, chunks and the write-back step.
        const qint64 c = PackWriter::kChunk;
        const QList<qint64> sizes{0, 1, 3, 7, 8, 9, c - 1, c, c + 1, 3 * c + 5, (9 << 20) + 3};
        QStringList rows, expected;
        for (int i = 0; i < sizes.size(); ++i) {
            const QString row = QStringLiteral("m%1.bin").arg(i, 2, 10, QLatin1Char('0'));
            const QByteArray data = packtest::pattern(sizes[i], i);
            project.write(row, data);
            rows << row;
            expected << row + '=' + QString::fromLatin1(data);
        }
        RandomSource random;
        ::umask(022);
        PackBuild pack(masked ? kMasked : PackKey{}, random);
        QString error;
        QVERIFY(pack.open(error));
        for (const QString &row : rows)
            QVERIFY2(pack.add(row, error), qPrintable(error));
        QVERIFY(pack.commit(error));
        // A new pack gets a new file's usual permissions, not a temporary file's 0600.
        QVERIFY(QFileInfo("Data.Pak").permissions().testFlag(QFileDevice::ReadOther));
        const QByteArray bytes = project.read("Data.Pak");
        QVERIFY(masked ? readback::members(bytes, "5D5D5D5D", "5B19C7E4") == expected
                       : readback::members(bytes) == expected);
    }

    void ticksReadAsEachRowIsReached()
    {
        ScratchProject project;
        for (const char *row : {"a.txt", "b.txt", "c.txt"})
            project.write(row, QByteArray(3 * PackWriter::kChunk, row[0]));
        QVector<bool> ticked{true, false, false};
        RandomSource random;
        PackBuild pack({}, random);
        // The caller's turn inside the first member ticks the later rows.
        pack.betweenChunks = [&] { return (ticked = {true, true, true}, true); };
        QString error;
        QVERIFY(pack.open(error));
        for (int row = 0; row < 3; ++row)
            if (ticked[row])
                QVERIFY(pack.add(QStringLiteral("%1.txt").arg(QChar('a' + row)), error));
        QVERIFY(pack.commit(error));
        QCOMPARE(readback::members(project.read("Data.Pak")), readback::files(".", {"a.txt", "b.txt", "c.txt"}));
        // Before a build starts, the ticked rows are counted: a full pack passes, one more does not.
        QVERIFY(checkTickedCount(kMaxPackFiles, error) && !checkTickedCount(kMaxPackFiles + 1, error));
        QCOMPARE(error, QString("10,001 files are ticked, but a pack holds at most 10,000."));
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

    // Abandoned by the caller inside a member: no message, the earlier pack
    // as it was, no temporary file left.
    void abandonedBuildChangesNothing()
    {
        ScratchProject project;
        project.write("big.bin", QByteArray(4 * PackWriter::kChunk, 'b'));
        project.write("Data.Pak", "earlier");
        {
            RandomSource random;
            PackBuild pack({}, random);
            pack.betweenChunks = [] { return false; };
            QString error;
            QVERIFY(pack.open(error) && !pack.add("big.bin", error));
            QCOMPARE(error, QString());
        }
        QCOMPARE(project.read("Data.Pak"), QByteArray("earlier"));
        QCOMPARE(project.rootEntries(), (QStringList{"Data.Pak", "big.bin"}));
    }
};

QTEST_GUILESS_MAIN(TestPackBuild)
#include "tst_packfile.moc"
