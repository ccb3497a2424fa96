#include "app/Profile.h"
#include "support/FileSizeLimit.h"
#include <QTemporaryDir>
#include <QTest>

static const wf::ProfileData kExample{1, 0, "5D5D5D5D", "Mygame.exe", "5B19C7E4", {"gfx\\title.bmp", "maps\\one.map"}};

class TestProfile : public QObject {
    Q_OBJECT
private slots:
    void bytesAndLines()
    {
        const QByteArray bytes = "Korvane Pak System Profile\r\n 1 \r\n 0 \r\n5D5D5D5D\r\n"
                                 "Mygame.exe\r\n5B19C7E4\r\ngfx\\title.bmp\r\nmaps\\one.map\r\n";
        QCOMPARE(wf::profileBytes(kExample), bytes);
        QCOMPARE(wf::readProfileLines(bytes).join('|'),
                 "Korvane Pak System Profile| 1 | 0 |5D5D5D5D|Mygame.exe|5B19C7E4|gfx\\title.bmp|maps\\one.map");
        QCOMPARE(wf::readProfileLines("a\rb\r\nc"), QStringList({"a", "b", "c"})); // the last line needs no CR
        QCOMPARE(wf::readProfileLines("\r\n\r\r\n"), QStringList({"", "", ""})); // an empty key is still a line
        QCOMPARE(wf::readProfileLines(""), QStringList());
    }

    void failedWriteKeepsOldProfile()
    {
        QTemporaryDir tmp;
        const QString path = tmp.filePath(wf::kProfileName);
        QCOMPARE(wf::writeProfile(path, kExample), QString());
        {
            FileSizeLimit limit(1024); // scoped: the test log may be a file too
            QVERIFY(limit.isActive() && !wf::writeProfile(path, {1, 0, "", "", "", QStringList(2000, "row")}).isEmpty());
        }
        QFile file(path);
        QCOMPARE(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), wf::profileBytes(kExample));
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files), QStringList(wf::kProfileName)); // no half-written file left
    }
};

QTEST_APPLESS_MAIN(TestProfile)
#include "tst_profile.moc"
