// Start-up restores options and ticks from the profile; closing writes it.
#include "app/Form1.h"
#include "app/TickBox.h"
#include "app/TickList.h"
#include "support/FileSizeLimit.h"
#include "support/GuiTestKit.h"
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

namespace {
const QByteArray kSixLines = "Korvane Pak System Profile\r\n 0 \r\n 0 \r\n5D5D5D5D\r\nMygame.exe\r\n5B19C7E4\r\n";

void seedProject(const ScratchProject &p)
{
    p.write("gfx/title.bmp", QByteArray(1000, 't'));
    p.write("maps/one.map", QByteArray(536, 'm'));
    p.write("Tool.exe", "exe");
    p.write(".git/config", "hidden");
}
} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void roundTripKeepsOptionsAndTicks();
    void profilesOfEveryLength_data();
    void profilesOfEveryLength();
    void encryptionIsRestoredBeforeTheKey();
    void unwritableProfileLeavesTheOldOne();
    void closeDuringStartupWaitsForTheList();
};

void TestStartup::roundTripKeepsOptionsAndTicks()
{
    ScratchProject project;
    seedProject(project);
    {
        Form1 first;
        first.Form_Load();
        first.close(); // right after a first start: six lines
        QCOMPARE(project.read("PakProfile.QXT"), kSixLines);
        QFile::remove("PakProfile.QXT"); // so the next walk lists the same files
    }
    {
        Form1 f;
        f.Form_Load();
        f.Check1->setValue(1);
        f.Check2->setValue(1);
        f.Text1->setText("Tool.exe");
        f.Text3->setText("deadbeef");
        f.Command2_Click();
        f.close();
    }
    // A line in another case still ticks its row; one for a gone file is skipped.
    QByteArray profile = project.read("PakProfile.QXT").replace("maps\\one.map", "MAPS\\ONE.MAP");
    project.write("PakProfile.QXT", profile + "gone.txt\r\nTool.exe\r\n");
    Form1 f;
    f.Form_Load();
    QCOMPARE(f.Check1->Value() + f.Check2->Value(), 2);
    QCOMPARE(f.Text1->text() + f.Text2->text() + f.Text3->text(), QStringLiteral("Tool.exe5D5D5D5Ddeadbeef"));
    QCOMPARE(tickedRows(f), (QStringList{"gfx\\title.bmp", "maps\\one.map"})); // Tool.exe is refused
    QCOMPARE(f.Label1->text(), QStringLiteral("Pack Size: 1.50 Kb."));
}

void TestStartup::profilesOfEveryLength_data()
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
    QTest::newRow("greyed") << QByteArray("h\r\n2\r\n1\r\nK\r\n") << "210|K|Mygame.exe|5B19C7E4|0";
    QTest::newRow("3 fails") << QByteArray("h\r\n3\r\n1\r\nK\r\nX\r\nM\r\n") << "001|5D5D5D5D|Mygame.exe|5B19C7E4|0";
    QTest::newRow("text reads 0") << QByteArray("h\r\nyes\r\n&H1\r\nK\r\nX\r\nM\r\n") << "011|K|X|M|0";
}

void TestStartup::profilesOfEveryLength()
{
    QFETCH(QByteArray, profile);
    QFETCH(QString, state);
    ScratchProject project;
    seedProject(project);
    project.write("PakProfile.QXT", profile);
    Form1 f;
    f.Form_Load();
    QCOMPARE(QStringLiteral("%1%2%7|%3|%4|%5|%6")
                 .arg(f.Check1->Value()).arg(f.Check2->Value())
                 .arg(f.Text2->text(), f.Text1->text(), f.Text3->text())
                 .arg(tickedRows(f).size()).arg(f.Text2->isEnabled()),
             state);
    QCOMPARE(f.List1->ListCount(), 4); // listed once, whatever failed
    QCOMPARE(f.Label4->text(), " Project Directory: " + project.path());
}

void TestStartup::encryptionIsRestoredBeforeTheKey()
{
    ScratchProject project;
    project.write("PakProfile.QXT", "h\r\n 1 \r\n 0 \r\nAB\r\nMygame.exe\r\nCD\r\n");
    Form1 f;
    f.Form_Load();
    // Check1's handling saw the eight-character design key, so made no new one.
    QCOMPARE(f.Text4->text(), QStringLiteral("PakInit \"Data.Pak\", $AB, \"TMP\", $CD"));
}

void TestStartup::unwritableProfileLeavesTheOldOne()
{
    ScratchProject project;
    project.write("PakProfile.QXT", kSixLines + QByteArray(200, 'x') + "\r\n");
    project.write("data/a-file-with-a-long-name-to-pass-the-limit.bin", "x");
    MessageRecorder recorder;
    Form1 f;
    f.Form_Load();
    f.Command2_Click();
    {
        FileSizeLimit limit(100);
        f.close();
    }
    QVERIFY(!f.isVisible()); // closing goes ahead
    QCOMPARE(project.read("PakProfile.QXT"), kSixLines + QByteArray(200, 'x') + "\r\n");
    QVERIFY(recorder.messages.size() == 1 && recorder.messages[0].contains("PakProfile.QXT"));
}

void TestStartup::closeDuringStartupWaitsForTheList()
{
    ScratchProject project;
    seedProject(project);
    project.write("PakProfile.QXT", kSixLines + "gfx\\title.bmp\r\n");
    Form1 f;
    // Waiting events run during start-up's one turn: a click and a close.
    QTimer::singleShot(0, &f, [&] { f.Command1_Click(); f.close(); });
    f.Form_Load();
    QVERIFY(!f.isVisible() && !project.exists("Data.Pak"));
    QCOMPARE(project.read("PakProfile.QXT"), kSixLines + "gfx\\title.bmp\r\n");
}

QTEST_MAIN(TestStartup)
#include "tst_gui_startup.moc"
