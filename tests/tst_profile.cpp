#include "app/Profile.h"
#include "support/FileSizeLimit.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestProfile : public QObject {
    Q_OBJECT
private slots:
    void exampleBytes();
    void lines_data();
    void lines();
    void writeReplaces();
    void failedWriteKeepsOldProfile();
};

namespace {
wf::ProfileData example()
{
    wf::ProfileData d;
    d.check1 = 1;
    d.check2 = 0;
    d.basicKey = QStringLiteral("5D5D5D5D");
    d.exeName = QStringLiteral("Mygame.exe");
    d.headerMask = QStringLiteral("5B19C7E4");
    d.rows = QStringList{QStringLiteral("gfx\\title.bmp"), QStringLiteral("maps\\one.map")};
    return d;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
} // namespace

void TestProfile::exampleBytes()
{
    const QByteArray expected = "Korvane Pak System Profile\r\n 1 \r\n 0 \r\n5D5D5D5D\r\n"
                                "Mygame.exe\r\n5B19C7E4\r\ngfx\\title.bmp\r\nmaps\\one.map\r\n";
    QCOMPARE(wf::profileBytes(example()), expected);

    wf::ProfileData empty;
    empty.check2 = 2;
    QCOMPARE(wf::profileBytes(empty), QByteArray("Korvane Pak System Profile\r\n 0 \r\n 2 \r\n\r\n\r\n\r\n"));

    // What is written reads back line for line, names in UTF-8 included.
    wf::ProfileData d = example();
    d.rows << QStringLiteral("grafik\\Übersicht.bmp");
    const QStringList lines = wf::readProfileLines(wf::profileBytes(d));
    QCOMPARE(lines.size(), 9);
    QCOMPARE(lines.mid(6), d.rows);
}

void TestProfile::lines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("CRLF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("CR only") << QByteArray("a\rb\r") << QStringList{"a", "b"};
    QTest::newRow("no final CR") << QByteArray("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("lone LF is text") << QByteArray("a\nb\r\n") << QStringList{"a\nb"};
    QTest::newRow("one LF skipped") << QByteArray("a\r\n\nb") << QStringList{"a", "\nb"};
    QTest::newRow("empty lines") << QByteArray("\r\n\r\r\n") << QStringList{"", "", ""};
    QTest::newRow("lone CR") << QByteArray("\r") << QStringList{""};
}

void TestProfile::lines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QCOMPARE(wf::readProfileLines(bytes), lines);
}

void TestProfile::writeReplaces()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(wf::kProfileName);
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'x'));
    old.close();
    QCOMPARE(wf::writeProfile(path, example()), QString());
    QCOMPARE(readAll(path), wf::profileBytes(example()));
}

void TestProfile::failedWriteKeepsOldProfile()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("gone/") + wf::kProfileName);
    const QString reason = wf::writeProfile(missing, example());
    QVERIFY(reason.contains(wf::kProfileName));

    // A write cut short (file size limit) must not touch the earlier profile.
    const QString path = dir.filePath(wf::kProfileName);
    QCOMPARE(wf::writeProfile(path, example()), QString());
    wf::ProfileData big = example();
    for (int i = 0; i < 2000; ++i)
        big.rows << QStringLiteral("maps\\level%1.map").arg(i);

    QString cut;
    {
        FileSizeLimit limit(1024);
        QVERIFY(limit.isActive());
        cut = wf::writeProfile(path, big);
    }
    QVERIFY(cut.contains(wf::kProfileName));
    QCOMPARE(readAll(path), wf::profileBytes(example()));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{wf::kProfileName});
}

QTEST_APPLESS_MAIN(TestProfile)
#include "tst_profile.moc"
