// The option controls driven as a user would, the running pack size in the
// label, and the start-up restoring options and ticks from profiles of
// every length.
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

class TestWindow : public QObject {
    Q_OBJECT
private slots:
    void initLineFollowsTheOptions()
    {
        LoadedWindow w;
        Form1 &f = w.load();
        QCOMPARE(f.Text4->text(), QStringLiteral("PakInit \"Data.Pak\", 0, \"TMP\", 0"));
        QTest::mouseClick(f.Check2, Qt::LeftButton);
        f.Text1->selectAll();
        QTest::keyClicks(f.Text1, "G");
        QCOMPARE(f.Text4->text(), QStringLiteral("PakInit \"G\", 0, \"TMP\", 0")); // at once
        f.Check1->setValue(1);
        f.Text3->setText("m");
        f.Text2->clear();
        QTest::keyClicks(f.Text2, "1f"); // the key box's line follows at the timer's next tick
        QTRY_COMPARE_WITH_TIMEOUT(f.Text4->text(), QStringLiteral("PakInit \"G\", $1f, \"TMP\", $m"), 1500);
        f.Text4->setText("edited"); // replaced at the next tick
        QTRY_VERIFY_WITH_TIMEOUT(f.Text4->text().startsWith("PakInit"), 1500);
    }

    void encryptionSwitchAndNewKeys()
    {
        LoadedWindow w;
        Form1 &f = w.load();
        f.clock = [] { return 43200.5f; }; // a clock that never moves
        const QRegularExpression key("^([1-9A-F][0-9A-F]){4}$");
        for (int tick : {1, 0}) { // a Basic Key of seven characters is replaced either way
            f.Text2->setText("5D5D5D5");
            f.Text3->setText("1");
            f.Check1->setValue(tick);
            QVERIFY(key.match(f.Text2->text()).hasMatch() && key.match(f.Text3->text()).hasMatch());
            QCOMPARE(f.Command4->isEnabled(), tick == 1);
        }
        f.Text2->setText("5D5D5D5D"); // eight are kept
        f.Check1->setValue(1);
        QTest::keyClicks(f.Text2, "123"); // the box holds ten
        QCOMPARE(f.Text2->text(), QStringLiteral("5D5D5D5D12"));
        f.Check1->setValue(0);
        const QString first = f.Text2->text();
        f.Command4_Click(); // same time of day, yet a different key
        QVERIFY(f.Text2->text() != first);
        f.Text3->setText("1");
        f.Check1->setValue(1);
        QCOMPARE(f.Text3->text(), QStringLiteral("1")); // a short mask alone makes no new key
        for (const char *mask : {"8000", "FFFF", "80000000", "zz"}) {
            f.Text3->setText(mask);
            QTest::mouseClick(f.Label6, Qt::LeftButton);
        }
        QCOMPARE(w.recorder.messages, (QStringList{"-32768", "-1", "-2147483648", "0"}));
    }

    void selectAllAndNoneCountEveryRealChange()
    {
        const QByteArray kb(1024, 'x');
        LoadedWindow w{{"f0.bin", kb}, {"f1.bin", kb}, {"f2.bin", kb}, {"Data.Pak", QByteArray(5000, 'p')},
                       {"gone1.bin", "1"}, {"gone2.bin", "2"}};
        Form1 &f = w.load();
        f.Command3_Click(); // nothing ticked: nothing changes
        QCOMPARE(f.Label1->text(), QStringLiteral("Pack Size: 0 Kb"));
        QFile::remove("gone1.bin");
        QFile::remove("gone2.bin");
        QTest::mouseClick(f.Command2, Qt::LeftButton);
        QCOMPARE(f.Label1->text(), QStringLiteral("Pack Size: 3.00 Kb."));
        QCOMPARE(tickedRows(f).size(), 5); // Data.Pak unticked again at once; gone files keep their tick
        // Files that could not be measured: one message for the whole click.
        QVERIFY(w.recorder.messages.size() == 1 && w.recorder.messages[0].contains("gone1.bin\ngone2.bin"));
        // A file that grows between tick and untick leaves the difference.
        w.project.write("f1.bin", QByteArray(2048, 'x'));
        QTest::mouseClick(f.Command3, Qt::LeftButton);
        QCOMPARE(f.Label1->text(), QStringLiteral("Pack Size: -1.00 Kb."));
        QCOMPARE(w.recorder.messages.size(), 2);
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

QTEST_MAIN(TestWindow)
#include "tst_gui_window.moc"
