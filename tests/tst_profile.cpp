// The profile as one value: its bytes, how far a short or bad profile is
// read, 8-bit lines, and the files it must never be read from or written to.
#include "project/Profile.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using wf::Profile;

class TestProfile : public QObject {
    Q_OBJECT
private slots:
    void roundTripAsOneValue()
    {
        const QByteArray bytes = "Korvane Pak System Profile\r\n 1 \r\n 0 \r\n5D5D5D5D\r\n"
                                 "Mygame.exe\r\n5B19C7E4\r\ngfx\\title.bmp\r\nmaps\\one.map\r\n";
        const Profile p = wf::parseProfile(bytes);
        QCOMPARE(p.check1, 1);
        QCOMPARE(p.check2, 0);
        QCOMPARE(*p.basicKey + *p.exeName + *p.headerMask, QStringLiteral("5D5D5D5DMygame.exe5B19C7E4"));
        QCOMPARE(p.rows, (QStringList{"gfx\\title.bmp", "maps\\one.map"}));
        QCOMPARE(wf::profileBytes(p), bytes);
        QCOMPARE(wf::readProfileLines("a\rb\r\nc"), QStringList({"a", "b", "c"})); // the last line needs no CR
        QCOMPARE(wf::readProfileLines("\r\n\r\r\n"), QStringList({"", "", ""})); // an empty key is still a line
    }

    void readUpToTheFirstFailingLine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("fields"); // how many of the five are present
        QTest::addColumn<int>("rows");
        QTest::newRow("empty") << QByteArray() << 0 << 0;
        QTest::newRow("header only") << QByteArray("h\r\n") << 0 << 0;
        QTest::newRow("check1 only") << QByteArray("h\r\n1\r\n") << 1 << 0;
        QTest::newRow("five lines") << QByteArray("h\r\n1\r\n0\r\nK\r\nE") << 4 << 0;
        QTest::newRow("six lines") << QByteArray("h\r\n1\r\n0\r\nK\r\nE\r\nM\r\n") << 5 << 0;
        QTest::newRow("rows") << QByteArray("h\r\n1\r\n0\r\nK\r\nE\r\nM\r\na\r\nb") << 5 << 2;
        QTest::newRow("check1 out of range") << QByteArray("h\r\n3\r\n0\r\nK\r\nE\r\nM\r\na\r\n") << 0 << 0;
        QTest::newRow("check2 out of range") << QByteArray("h\r\n 1 \r\n40000\r\nK\r\nE\r\nM\r\na\r\n") << 1 << 0;
        QTest::newRow("text reads as 0") << QByteArray("h\r\nyes\r\n2\r\nK\r\nE\r\nM\r\n") << 5 << 0;
    }
    void readUpToTheFirstFailingLine()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, fields);
        QFETCH(int, rows);
        const Profile p = wf::parseProfile(bytes);
        const int present = int(p.check1.has_value()) + p.check2.has_value() + p.basicKey.has_value()
                            + p.exeName.has_value() + p.headerMask.has_value();
        QCOMPARE(present, fields);
        QCOMPARE(p.rows.size(), rows);
        QCOMPARE(p.complete(), fields == 5);
    }

    void windowsLinesReadAs1252()
    {
        // "Spiel\xe4.exe" from a Windows profile is the file Spieläexe on disk;
        // valid UTF-8 stays UTF-8, and the next profile is written in UTF-8.
        const Profile p = wf::parseProfile("h\r\n0\r\n1\r\nK\r\nSpiel\xe4.exe\r\nM\r\n\x80\x9f\x81.txt\r\n\xc3\xa4.txt\r\n");
        QCOMPARE(*p.exeName, QStringLiteral(u"Spielä.exe"));
        QCOMPARE(p.rows, (QStringList{QStringLiteral(u"€Ÿ\u0081.txt"), QStringLiteral(u"ä.txt")}));
        QVERIFY(wf::profileBytes(p).contains("Spiel\xc3\xa4.exe\r\n"));
    }

    void onlyRegularFilesAreRead()
    {
        QTemporaryDir dir;
        const QString pipe = dir.filePath("PakProfile.QXT");
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        bool found = true;
        const Profile p = wf::readProfile(pipe, &found); // must not wait for a writer
        QVERIFY(!found);
        QVERIFY(!p.check1);
    }

    void linksAreNeverWrittenThrough_data()
    {
        QTest::addColumn<bool>("dangling");
        QTest::newRow("to a file") << false;
        QTest::newRow("dangling") << true;
    }
    void linksAreNeverWrittenThrough()
    {
        QFETCH(bool, dangling);
        QTemporaryDir outside, project;
        const QString target = outside.filePath("victim.txt");
        if (!dangling)
            QVERIFY(QFile(target).open(QIODevice::WriteOnly) || true);
        const QString link = project.filePath("PakProfile.QXT");
        QVERIFY(QFile::link(target, link));
        QString error;
        QVERIFY(!wf::writeProfile(link, Profile{0, 0, "K", "E", "M", {"a"}}, error));
        QVERIFY2(error.contains("symbolic link") && error.contains(target), qPrintable(error));
        QCOMPARE(QFileInfo(link).symLinkTarget(), target);
        QCOMPARE(QFileInfo::exists(target), !dangling);
        QCOMPARE(QFileInfo(target).size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
