// The block writer under a build: every length around the alignment and the
// block, filled in uneven pieces, with direct I/O and without; the head
// written over the first bytes last; a failing write reported, not hung on.
#include "platform/BlockWriter.h"
#include "support/FileSizeLimit.h"
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

using wf::platform::BlockWriter;

namespace {
QByteArray pattern(qint64 size)
{
    QByteArray b(int(size), Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        b[int(i)] = char((i * 131) ^ (i >> 12));
    return b;
}

// Writes `data` in pieces of varying size, then the head "HEAD"; returns
// how many bytes were taken before a failure, or -1 when all went well.
qint64 writeAll(BlockWriter &w, const QByteArray &data)
{
    qint64 at = 0;
    for (qint64 step = 1; at < data.size(); step = step * 7 % 700001 + 1) {
        qint64 len = 0;
        char *room = w.room(qMin<qint64>(step, data.size() - at), len);
        if (!room)
            return at;
        std::memcpy(room, data.constData() + at, size_t(len));
        at += len;
        if (!w.advance(len))
            return at;
    }
    return w.finish("HEAD", 4) ? -1 : at;
}
} // namespace

class TestBlockWriter : public QObject {
    Q_OBJECT
private slots:
    void writesExactlyTheBytesGiven_data()
    {
        QTest::addColumn<int>("io");
        QTest::addColumn<qint64>("size");
        const qint64 b = BlockWriter::kBlock;
        for (int io : {0, 1}) {
            for (qint64 size : {qint64(4), qint64(4095), qint64(4096), qint64(4097), b - 1, b, b + 1,
                                BlockWriter::kBuffers * b + 4097}) {
                QTest::addRow("%s %lld", io == 0 ? "direct" : "buffered", size)
                    << io << size;
            }
        }
        // Blocks made ahead on another thread, each taken once.
        for (qint64 size : {b + 1, BlockWriter::kBuffers * b + 4097})
            QTest::addRow("prepared %lld", size) << 2 << size;
    }
    void writesExactlyTheBytesGiven()
    {
        QFETCH(int, io);
        QFETCH(qint64, size);
        QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bw-XXXXXX")); // not tmpfs
        const QString path = dir.filePath(QStringLiteral("out"));
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        QVERIFY(fd >= 0);
        QByteArray data = pattern(size);
        if (io == 2) {
            BlockWriter::prepareBlocks();
            QTRY_COMPARE_WITH_TIMEOUT(BlockWriter::blocksReady(), BlockWriter::kBuffers, 10000);
        }
        {
            BlockWriter w(fd, io == 1 ? BlockWriter::Io::Buffered : BlockWriter::Io::DirectIfPossible);
            QVERIFY2(writeAll(w, data) == -1, qPrintable(w.errorString()));
            QCOMPARE(w.position(), size);
            if (io == 2) // one block per 4 MiB started, up to all of them
                QCOMPARE(BlockWriter::blocksReady(),
                         BlockWriter::kBuffers - int(qMin<qint64>(BlockWriter::kBuffers, (size + BlockWriter::kBlock - 1) / BlockWriter::kBlock)));
        }
        ::close(fd);
        data.replace(0, 4, "HEAD");
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll() == data);
    }

    void aFailedWriteIsReported_data()
    {
        QTest::addColumn<int>("io");
        QTest::addColumn<qint64>("limit");
        for (int io : {0, 1}) {
            QTest::addRow("%s, in the first block", io == 0 ? "direct" : "buffered") << io << qint64(8192);
            QTest::addRow("%s, blocks later", io == 0 ? "direct" : "buffered") << io << 2 * BlockWriter::kBlock;
            QTest::addRow("%s, in the last bytes", io == 0 ? "direct" : "buffered") << io << 10 * BlockWriter::kBlock + 3;
        }
    }
    void aFailedWriteIsReported()
    {
        QFETCH(int, io);
        QFETCH(qint64, limit);
        QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bw-XXXXXX"));
        const int fd = ::open(QFile::encodeName(dir.filePath(QStringLiteral("out"))).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        QVERIFY(fd >= 0);
        {
            FileSizeLimit limited(limit);
            BlockWriter w(fd, io == 0 ? BlockWriter::Io::DirectIfPossible : BlockWriter::Io::Buffered);
            const qint64 size = 10 * BlockWriter::kBlock + 4;
            const qint64 taken = writeAll(w, pattern(size));
            QCOMPARE(w.errorString(), QString::fromLocal8Bit(std::strerror(EFBIG)));
            // Noticed once the blocks in flight come back, not only at the end.
            if (limit < 8 * BlockWriter::kBlock)
                QVERIFY2(taken >= 0 && taken <= limit + (BlockWriter::kBuffers + 1) * BlockWriter::kBlock,
                         qPrintable(QString::number(taken)));
            else
                QCOMPARE(taken, size);
        }
        ::close(fd);
    }
};

QTEST_GUILESS_MAIN(TestBlockWriter)
#include "tst_blockwriter.moc"
