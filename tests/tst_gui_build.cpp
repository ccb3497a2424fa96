// "Create Pak Archive" through the real window: what is packed, what is read
// when, and that no failure damages the earlier pack or the executable.
#include "app/Form1.h"
#include "app/TickBox.h"
#include "app/TickList.h"
#include "support/FileSizeLimit.h"
#include "support/GuiTestKit.h"
#include "support/PackTestUtil.h"
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {
QStringList packed(const ScratchProject &p, bool designKey = false)
{
    const quint8 k = designKey ? 0x5D : 0;
    return packtest::readPack(p.read("Data.Pak"), designKey ? 0x5B19C7E4 : 0, {k, k, k, k});
}

// Runs `action` once, when the build moves its current row to `row`.
void atRow(Form1 &f, int row, std::function<void()> action)
{
    auto conn = std::make_shared<QMetaObject::Connection>();
    *conn = QObject::connect(f.List1->selectionModel(), &QItemSelectionModel::currentChanged, &f,
                             [=](const QModelIndex &current) {
                                 if (current.row() == row && QObject::disconnect(*conn))
                                     action();
                             });
}
} // namespace

class TestBuild : public QObject {
    Q_OBJECT
private slots:
    void packsTickedRowsInListOrder();
    void optionsAreReadOnceButTicksLive();
    void closingDuringABuildKeepsTheEarlierPack();
    void failuresKeepTheEarlierPack_data();
    void failuresKeepTheEarlierPack();
};

void TestBuild::packsTickedRowsInListOrder()
{
    ScratchProject project;
    project.write("sub/c.dat", "sea");
    for (const char *name : {"b.txt", "A.txt", "empty.bin"})
        project.write(name, name[0] == 'e' ? "" : name);
    MessageRecorder recorder;
    Form1 f;
    f.Form_Load();
    for (const char *row : {"sub\\c.dat", "empty.bin", "A.txt"})
        clickTick(f, rowOf(f, row));
    f.Check1->setValue(1);
    f.Check2->setValue(1);
    f.Text1->setText("Nope.exe");
    QTest::mouseClick(f.Command1, Qt::LeftButton);
    QCOMPARE(packed(project, true), (QStringList{"A.txt=A.txt", "empty.bin=", "sub\\c.dat=sea"}));
    QCOMPARE(recorder.messages, QStringList{".exe file not found. Quildex Created instead..."});
    QVERIFY(!project.exists("Nope.exe"));
    QCOMPARE(f.Command1->text(), QStringLiteral("Create Pak File"));
    QVERIFY(f.List1->isEnabled());
    QCOMPARE(f.List1->ListIndex(), f.List1->ListCount() - 1);
}

void TestBuild::optionsAreReadOnceButTicksLive()
{
    ScratchProject project;
    for (const char *n : {"1.txt", "2.txt", "3.txt"})
        project.write(n, n);
    Form1 f;
    f.Form_Load();
    f.turnIntervalMs = 0; // a turn before every row
    f.Check1->setValue(1);
    int nested = 0;
    atRow(f, 1, [&] {
        QCOMPARE(f.Command1->text(), QStringLiteral("Please Wait.."));
        QVERIFY(!f.List1->isEnabled());
        f.Text2->setText("00000000"); // too late for this build
        f.Check1->setValue(0);
        QTest::mouseClick(f.Command2, Qt::LeftButton); // rows not yet reached are packed
        QTest::mouseClick(f.Command1, Qt::LeftButton); // a second build does not start
        ++nested;
    });
    f.Command1_Click();
    QCOMPARE(nested, 1);
    QCOMPARE(packed(project, true), (QStringList{"2.txt=2.txt", "3.txt=3.txt"}));
}

void TestBuild::closingDuringABuildKeepsTheEarlierPack()
{
    ScratchProject project;
    for (const char *name : {"a.txt", "b.txt", "Data.Pak"})
        project.write(name, name);
    Form1 f;
    f.Form_Load();
    f.Command2_Click();
    f.turnIntervalMs = 0;
    atRow(f, 1, [&] { f.close(); });
    f.Command1_Click();
    QVERIFY(!f.isVisible());
    QCOMPARE(project.read("Data.Pak"), QByteArray("Data.Pak"));
    QCOMPARE(project.rootEntries(), (QStringList{"Data.Pak", "PakProfile.QXT", "a.txt", "b.txt"}));
    QVERIFY(project.read("PakProfile.QXT").endsWith("a.txt\r\nb.txt\r\n"));
}

void TestBuild::failuresKeepTheEarlierPack_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("named");
    QTest::newRow("member vanished") << "vanish" << "big.bin";
    QTest::newRow("write fails part way") << "limit" << "Data.Pak";
    QTest::newRow("too many files") << "count" << "10,000";
}

void TestBuild::failuresKeepTheEarlierPack()
{
    QFETCH(QString, failure);
    QFETCH(QString, named);
    ScratchProject project;
    project.write("small.txt", "small");
    project.write("big.bin", QByteArray(300 * 1024, 'b'));
    project.write("Data.Pak", "earlier");
    MessageRecorder recorder;
    Form1 f;
    f.Form_Load();
    if (failure == "count")
        for (int i = 0; i < 10001; ++i)
            f.List1->AddItem(QStringLiteral("gone\\%1").arg(i));
    f.Command2_Click();
    recorder.messages.clear();
    if (failure == "vanish")
        QFile::remove(project.path() + "/big.bin");
    {
        FileSizeLimit limit(failure == "limit" ? 100 * 1024 : 1 << 30);
        f.Command1_Click();
    }
    QCOMPARE(recorder.messages.size(), 1);
    QVERIFY2(recorder.messages[0].contains(named), qPrintable(recorder.messages[0]));
    QCOMPARE(project.read("Data.Pak"), QByteArray("earlier"));
    QCOMPARE(project.rootEntries().filter("Data.Pak"), QStringList{"Data.Pak"}); // no temporary left
    // The window stays usable.
    QCOMPARE(f.Command1->text(), QStringLiteral("Create Pak File"));
    f.Command3_Click();
    f.List1->setSelected(rowOf(f, "small.txt"), true);
    f.Command1_Click();
    QCOMPARE(packed(project), QStringList{"small.txt=small"});
}

QTEST_MAIN(TestBuild)
#include "tst_gui_build.moc"
