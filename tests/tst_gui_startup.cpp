// Start-up restores options and ticks from the profile; closing writes it.
#include "support/FileSizeLimit.h"
#include "support/GuiTestKit.h"
#include <QTimer>

namespace {
const QByteArray kSixLines = "Korvane Pak System Profile\r\n 0 \r\n 0 \r\n5D5D5D5D\r\nMygame.exe\r\n5B19C7E4\r\n";

// Two game files, an executable, and a hidden folder that is not listed.
LoadedWindow seeded()
{
    return {{"gfx/title.bmp", QByteArray(1000, 't')}, {"maps/one.map", QByteArray(536, 'm')}, {"Tool.exe", "exe"},
            {".git/config", "hidden"}};
}
} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void roundTripKeepsOptionsAndTicks()
    {
        LoadedWindow w = seeded();
        w.load().close(); // right after a first start: six lines
        QCOMPARE(w.project.read("PakProfile.QXT"), kSixLines);
        QFile::remove("PakProfile.QXT"); // so the next walk lists the same files
        Form1 &f = w.load();
        f.Check1->setValue(1);
        f.Check2->setValue(1);
        f.Text1->setText("Tool.exe");
        f.Text3->setText("deadbeef");
        f.Command2_Click();
        f.close();
        // A line in another case still ticks its row; one for a gone file is skipped.
        QByteArray profile = w.project.read("PakProfile.QXT").replace("maps\\one.map", "MAPS\\ONE.MAP");
        w.project.write("PakProfile.QXT", profile + "gone.txt\r\nTool.exe\r\n");
        Form1 &g = w.load();
        QCOMPARE(g.Check1->Value() + g.Check2->Value(), 2);
        QCOMPARE(g.Text1->text() + g.Text2->text() + g.Text3->text(), QStringLiteral("Tool.exe5D5D5D5Ddeadbeef"));
        QCOMPARE(tickedRows(g), (QStringList{"gfx\\title.bmp", "maps\\one.map"})); // Tool.exe is refused
        QCOMPARE(g.Label1->text(), QStringLiteral("Pack Size: 1.50 Kb."));
    }

    void profilesOfEveryLength_data()
    {
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<QString>("state"); // Check1 Check2 Text2-enabled | key | exe | mask | ticks
        // Each line read is applied; the first missing one ends the restoring.
        // Text2 is enabled at design time: only Check1's handling, run on a real
        // change of value, can disable it.
        const QList<QByteArray> lines =
            QByteArray("h\r\n1\r\n1\r\nAAAAAAAA\r\nGame.exe\r\nBBBBBBBB\r\ngfx\\title.bmp\r\n").split('\n');
        const QStringList states{"001|5D5D5D5D|Mygame.exe|5B19C7E4|0", "001|5D5D5D5D|Mygame.exe|5B19C7E4|0",
                                 "101|5D5D5D5D|Mygame.exe|5B19C7E4|0", "111|5D5D5D5D|Mygame.exe|5B19C7E4|0",
                                 "111|AAAAAAAA|Mygame.exe|5B19C7E4|0", "111|AAAAAAAA|Game.exe|5B19C7E4|0",
                                 "111|AAAAAAAA|Game.exe|BBBBBBBB|0", "111|AAAAAAAA|Game.exe|BBBBBBBB|1"};
        for (int n = 0; n <= 7; ++n)
            QTest::addRow("%d lines", n) << lines.mid(0, n).join('\n') << states[n];
        // Git checkouts turn CR LF into LF; editors can leave a mix.
        QTest::newRow("LF only") << QByteArray("h\n1\n1\nAAAAAAAA\nGame.exe\nBBBBBBBB\ngfx\\title.bmp\n")
                                 << "111|AAAAAAAA|Game.exe|BBBBBBBB|1";
        QTest::newRow("mixed") << QByteArray("h\r1\n1\r\nAAAAAAAA\rGame.exe\nBBBBBBBB\ngfx\\title.bmp")
                               << "111|AAAAAAAA|Game.exe|BBBBBBBB|1";
        QTest::newRow("greyed") << QByteArray("h\r\n2\r\n1\r\nK\r\n") << "210|K|Mygame.exe|5B19C7E4|0";
        QTest::newRow("3 fails") << QByteArray("h\r\n3\r\n1\r\nK\r\nX\r\nM\r\n") << "001|5D5D5D5D|Mygame.exe|5B19C7E4|0";
        QTest::newRow("text reads 0") << QByteArray("h\r\nyes\r\n&H1\r\nK\r\nX\r\nM\r\n") << "011|K|X|M|0";
        // Encryption comes before the key: Check1's handling sees the
        // eight-character design key, so makes no new one over the short key.
        QTest::newRow("short key") << QByteArray("h\r\n 1 \r\n 0 \r\nAB\r\nMygame.exe\r\nCD\r\n")
                                   << "101|AB|Mygame.exe|CD|0";
    }
    void profilesOfEveryLength()
    {
        QFETCH(QByteArray, profile);
        QFETCH(QString, state);
        LoadedWindow w = seeded();
        w.project.write("PakProfile.QXT", profile);
        Form1 &f = w.load();
        QCOMPARE(QStringLiteral("%1%2%7|%3|%4|%5|%6")
                     .arg(f.Check1->Value()).arg(f.Check2->Value())
                     .arg(f.Text2->text(), f.Text1->text(), f.Text3->text())
                     .arg(tickedRows(f).size()).arg(f.Text2->isEnabled()),
                 state);
        QCOMPARE(f.List1->ListCount(), 4); // listed once, whatever failed
        QCOMPARE(f.Label4->text(), " Project Directory: " + w.project.path());
    }

    void unwritableProfileLeavesTheOldOne()
    {
        const QByteArray longProfile = kSixLines + QByteArray(200, 'x') + "\r\n";
        LoadedWindow w{{"PakProfile.QXT", longProfile}, {"data/a-file-with-a-long-name-to-pass-the-limit.bin", "x"}};
        Form1 &f = w.load();
        f.Command2_Click();
        {
            FileSizeLimit limit(100);
            f.close();
        }
        QVERIFY(!f.isVisible()); // closing goes ahead
        QCOMPARE(w.project.read("PakProfile.QXT"), longProfile);
        QVERIFY(w.recorder.messages.size() == 1 && w.recorder.messages[0].contains("PakProfile.QXT"));
    }

    void closeDuringStartupWaitsForTheList()
    {
        LoadedWindow w = seeded();
        w.project.write("PakProfile.QXT", kSixLines + "gfx\\title.bmp\r\n");
        // Waiting events run during start-up's one turn: a click and a close.
        QTimer::singleShot(0, qApp, [&] { w.form().Command1_Click(); w.form().close(); });
        Form1 &f = w.load();
        QVERIFY(!f.isVisible() && !w.project.exists("Data.Pak"));
        QCOMPARE(w.project.read("PakProfile.QXT"), kSixLines + "gfx\\title.bmp\r\n");
    }
};

QTEST_MAIN(TestStartup)
#include "tst_gui_startup.moc"
