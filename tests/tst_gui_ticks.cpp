// Ticking rows, refused names, and the running pack size in the label.
#include "app/Form1.h"
#include "app/TickList.h"
#include "support/GuiTestKit.h"
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestTicks : public QObject {
    Q_OBJECT
private slots:
    void refusedNamesStayUnticked_data();
    void refusedNamesStayUnticked();
    void labelShowsTheRunningTotal();
    void selectAllAndNoneCountEveryRealChange();
    void unmeasurableFilesAreReportedOnce();
};

void TestTicks::refusedNamesStayUnticked_data()
{
    QTest::addColumn<QString>("exe");
    QTest::addColumn<QStringList>("tickable");
    const QStringList all{"bin\\MyGame.EXE", "Data.Pak", "mygame.exe", "old\\data.pak", "readme.txt"};
    QTest::newRow("design name") << "Mygame.exe" << QStringList{"readme.txt"};
    QTest::newRow("empty") << "" << QStringList{"bin\\MyGame.EXE", "mygame.exe", "readme.txt"};
    QTest::newRow("with folder") << "bin\\Mygame.exe" << QStringList{"bin\\MyGame.EXE", "mygame.exe", "readme.txt"};
}

void TestTicks::refusedNamesStayUnticked()
{
    QFETCH(QString, exe);
    QFETCH(QStringList, tickable);
    ScratchProject project;
    for (const char *name : {"bin/MyGame.EXE", "Data.Pak", "mygame.exe", "old/data.pak", "readme.txt"})
        project.write(name, "12345");
    Form1 f;
    f.Form_Load();
    f.Text1->setText(exe); // refused whether or not appending is on
    for (int i = 0; i < f.List1->ListCount(); ++i)
        clickTick(f, i);
    QStringList ticked;
    for (int i = 0; i < f.List1->ListCount(); ++i)
        if (f.List1->Selected(i))
            ticked << f.List1->List(i);
    QCOMPARE(ticked, tickable);
    QCOMPARE(f.packSizeTotal(), 5 * tickable.size());
}

void TestTicks::labelShowsTheRunningTotal()
{
    ScratchProject project;
    project.write("a.bin", QByteArray(1000, 'a'));
    project.write("b.bin", QByteArray(536, 'b'));
    Form1 f;
    f.Form_Load();
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

void TestTicks::selectAllAndNoneCountEveryRealChange()
{
    ScratchProject project;
    for (int i = 0; i < 3; ++i)
        project.write(QStringLiteral("f%1.bin").arg(i), QByteArray(1024, 'x'));
    project.write("Data.Pak", QByteArray(5000, 'p'));
    Form1 f;
    f.Form_Load();
    QTest::mouseClick(f.Command2, Qt::LeftButton);
    QCOMPARE(f.Label1->text(), QStringLiteral("Pack Size: 3.00 Kb."));
    QVERIFY(!f.List1->Selected(0)); // Data.Pak, unticked again at once
    // A file that grows between tick and untick leaves the difference.
    project.write("f1.bin", QByteArray(2048, 'x'));
    QTest::mouseClick(f.Command3, Qt::LeftButton);
    QCOMPARE(f.Label1->text(), QStringLiteral("Pack Size: -1.00 Kb."));
}

void TestTicks::unmeasurableFilesAreReportedOnce()
{
    ScratchProject project;
    for (const char *name : {"a.bin", "b.bin", "c.bin"})
        project.write(name, "1234");
    MessageRecorder recorder;
    Form1 f;
    f.Form_Load();
    QFile::remove(project.path() + "/a.bin");
    QFile::remove(project.path() + "/b.bin");
    f.Command2_Click();
    QCOMPARE(recorder.messages.size(), 1);
    QVERIFY(recorder.messages[0].contains("a.bin") && recorder.messages[0].contains("b.bin"));
    QVERIFY(f.List1->Selected(0) && f.List1->Selected(1)); // the ticks stand
    QCOMPARE(f.packSizeTotal(), 4);
    f.Command3_Click();
    clickTick(f, 0);
    QCOMPARE(recorder.messages.size(), 3);
    QCOMPARE(f.packSizeTotal(), 0);
}

QTEST_MAIN(TestTicks)
#include "tst_gui_ticks.moc"
