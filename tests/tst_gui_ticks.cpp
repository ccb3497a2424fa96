// Ticking rows, refused names, and the running pack size in the label.
#include "support/GuiTestKit.h"

class TestTicks : public QObject {
    Q_OBJECT
private slots:
    void refusedNamesStayUnticked_data()
    {
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QStringList>("tickable");
        QTest::newRow("design name") << "Mygame.exe" << QStringList{"readme.txt"};
        QTest::newRow("empty") << "" << QStringList{"bin\\MyGame.EXE", "mygame.exe", "readme.txt"};
        // A name in a folder names that row as a whole, too, `/` or `\`.
        QTest::newRow("with folder") << "bin\\Mygame.exe" << QStringList{"mygame.exe", "readme.txt"};
        QTest::newRow("with slash") << "BIN/mygame.exe" << QStringList{"mygame.exe", "readme.txt"};
        QTest::newRow("other folder") << "lib/mygame.exe" << QStringList{"bin\\MyGame.EXE", "mygame.exe", "readme.txt"};
    }
    void refusedNamesStayUnticked()
    {
        QFETCH(QString, exe);
        QFETCH(QStringList, tickable);
        LoadedWindow w{{"bin/MyGame.EXE", "12345"}, {"Data.Pak", "12345"}, {"mygame.exe", "12345"},
                       {"old/data.pak", "12345"}, {"readme.txt", "12345"}};
        Form1 &f = w.load();
        f.Text1->setText(exe); // refused whether or not appending is on
        for (int i = 0; i < f.List1->ListCount(); ++i)
            clickTick(f, i);
        QCOMPARE(tickedRows(f), tickable);
        QCOMPARE(f.packSizeTotal(), 5 * tickable.size());
    }

    void labelShowsTheRunningTotal()
    {
        LoadedWindow w{{"a.bin", QByteArray(1000, 'a')}, {"b.bin", QByteArray(536, 'b')}};
        Form1 &f = w.load();
        f.Command3_Click(); // nothing ticked: nothing changes
        QCOMPARE(f.Label1->text(), QStringLiteral("Pack Size: 0 Kb"));
        const QStringList expected{"0.98", "1.50", "0.52", "0.00"};
        int step = 0;
        for (int row : {0, 1, 0, 1}) {
            clickTick(f, row);
            QCOMPARE(f.Label1->text(), "Pack Size: " + expected[step++] + " Kb.");
        }
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        clickTick(f, 0);
        QLocale::setDefault(QLocale::c());
        QCOMPARE(f.Label1->text(), QStringLiteral("Pack Size: 0,98 Kb."));
    }

    void selectAllAndNoneCountEveryRealChange()
    {
        const QByteArray kb(1024, 'x');
        LoadedWindow w{{"f0.bin", kb}, {"f1.bin", kb}, {"f2.bin", kb}, {"Data.Pak", QByteArray(5000, 'p')},
                       {"gone1.bin", "1"}, {"gone2.bin", "2"}};
        Form1 &f = w.load();
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
};

QTEST_MAIN(TestTicks)
#include "tst_gui_ticks.moc"
