// The profile as one value: its bytes and its lines, 8-bit ones included.
// How far a short or bad profile is read, and the files it must never be
// read from or written to, are tested through the window.
#include "project/Profile.h"
#include <QTemporaryDir>
#include <QTest>

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
        // A git checkout turns CR LF into LF; any mix reads the same and is written back as CR LF.
        for (const QByteArray &ending : {QByteArray("\n"), QByteArray("\r")}) {
            QByteArray other = bytes;
            QCOMPARE(wf::profileBytes(wf::parseProfile(other.replace("\r\n", ending))), bytes);
        }
        QCOMPARE(wf::readProfileLines("a\rb\r\nc\n\nd"), QStringList({"a", "b", "c", "", "d"})); // the last needs no end
        QCOMPARE(wf::readProfileLines("\r\n\r\r\n\n"), QStringList({"", "", "", ""})); // an empty key is still a line
        // Reading stops at the first line that fails: a check2 out of range leaves the rest absent.
        const Profile bad = wf::parseProfile("h\r\n1\r\n40000\r\nK\r\nE\r\nM\r\na\r\n");
        QVERIFY(bad.check1 && !bad.check2 && !bad.basicKey && !bad.headerMask && bad.rows.isEmpty());
    }

    void windowsLinesReadAs1252()
    {
        // "Spiel\xe4.exe" from a Windows profile is the file "Spielä.exe" on disk;
        // valid UTF-8 stays UTF-8, and the next profile is written in UTF-8.
        const Profile p = wf::parseProfile("h\r\n0\r\n1\r\nK\r\nSpiel\xe4.exe\r\nM\r\n\x80\x9f\x81.txt\r\n\xc3\xa4.txt\r\n");
        QCOMPARE(*p.exeName, QStringLiteral(u"Spielä.exe"));
        QCOMPARE(p.rows, (QStringList{QStringLiteral(u"€Ÿ\u0081.txt"), QStringLiteral(u"ä.txt")}));
        QVERIFY(wf::profileBytes(p).contains("Spiel\xc3\xa4.exe\r\n"));
    }

    // A sparse 100 MiB file costs an archive nothing; read whole, it would
    // exhaust memory.
    void oversizedProfilesAreNotRead()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("PakProfile.QXT"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("h\r\n1\r\n") > 0 && file.resize(100 << 20));
        file.close();
        wf::Profile p;
        QString error;
        const bool found = wf::readProfile(file.fileName(), p, error);
        QVERIFY(!p.check1);
        QVERIFY(!found);
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
