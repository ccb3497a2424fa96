// "Create Pak Archive" driven through the real window: what is packed, what
// is read when, and that no failure damages the earlier pack or the game's
// executable.
#include "app/Form1.h"
#include "app/TickBox.h"
#include "app/TickList.h"
#include "support/FileSizeLimit.h"
#include "support/GuiTestKit.h"
#include "support/PackReader.h"
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

using packtest::Member;

namespace {
const std::array<quint8, 4> kNoKey{0, 0, 0, 0};
const std::array<quint8, 4> kDesignKey{0x5D, 0x5D, 0x5D, 0x5D};
const quint32 kDesignMask = 0x5B19C7E4;

QList<Member> packedMembers(const QByteArray &pack, quint32 mask, const std::array<quint8, 4> &key)
{
    QList<Member> members;
    if (!packtest::readPack(pack, mask, key, members))
        qWarning("pack does not read back");
    return members;
}

QStringList names(const QList<Member> &members)
{
    QStringList out;
    for (const Member &m : members)
        out << m.name;
    return out;
}

// Runs `action` once, the first time the build moves its current row to `row`.
void atRow(Form1 &form, int row, std::function<void()> action)
{
    auto *conn = new QMetaObject::Connection;
    *conn = QObject::connect(form.List1->selectionModel(), &QItemSelectionModel::currentChanged,
                             &form, [=](const QModelIndex &current) {
                                 if (current.row() != row)
                                     return;
                                 QObject::disconnect(*conn);
                                 delete conn;
                                 action();
                             });
}
} // namespace

class TestBuild : public QObject {
    Q_OBJECT
private slots:
    void packsTickedRowsInListOrder();
    void optionsAreReadOnceAtTheStart();
    void selectAllDuringABuildPacksLaterRows();
    void secondClickDuringABuildDoesNothing();
    void closingDuringABuildKeepsTheEarlierPack();
    void failuresKeepTheEarlierPack_data();
    void failuresKeepTheEarlierPack();
    void failedAppendLeavesTheExecutableAsItWas();
    void appendedExecutableStillRuns();
    void missingExecutableGivesOneMessage();
};

void TestBuild::packsTickedRowsInListOrder()
{
    ScratchProject project;
    project.write("b.txt", "bee");
    project.write("A.txt", "a");
    project.write("sub/c.dat", "sea data");
    project.write("empty.bin", "");
    Form1 form;
    form.Form_Load();
    clickTick(form, rowOf(form, "sub\\c.dat"));
    clickTick(form, rowOf(form, "empty.bin"));
    clickTick(form, rowOf(form, "A.txt"));
    form.Check1->setValue(1);

    QTest::mouseClick(form.Command1, Qt::LeftButton);

    const QList<Member> members = packedMembers(project.read("Data.Pak"), kDesignMask, kDesignKey);
    QCOMPARE(names(members), (QStringList{"A.txt", "empty.bin", "sub\\c.dat"}));
    QCOMPARE(members[0].data, QByteArray("a"));
    QCOMPARE(members[1].data, QByteArray());
    QCOMPARE(members[1].offset, members[2].offset);
    QCOMPARE(members[2].data, QByteArray("sea data"));
    QCOMPARE(form.Command1->text(), QStringLiteral("Create Pak File"));
    QVERIFY(form.List1->isEnabled());
    QCOMPARE(form.List1->ListIndex(), form.List1->ListCount() - 1);
}

void TestBuild::optionsAreReadOnceAtTheStart()
{
    ScratchProject project;
    project.write("a.txt", "secret");
    Form1 form;
    form.Form_Load();
    form.List1->setSelected(0, true);
    form.Check1->setValue(1);
    // Mid-build changes to the security options must not reach this pack.
    atRow(form, 0, [&] {
        QCOMPARE(form.Command1->text(), QStringLiteral("Please Wait.."));
        QVERIFY(!form.List1->isEnabled());
        form.Text2->setText("00000000");
        form.Text3->setText("00000000");
        form.Check1->setValue(0);
    });
    form.Command1_Click();
    const QList<Member> members = packedMembers(project.read("Data.Pak"), kDesignMask, kDesignKey);
    QCOMPARE(names(members), QStringList{"a.txt"});
    QCOMPARE(members[0].data, QByteArray("secret"));
}

void TestBuild::selectAllDuringABuildPacksLaterRows()
{
    ScratchProject project;
    for (const char *n : {"1.txt", "2.txt", "3.txt"})
        project.write(n, n);
    Form1 form;
    form.Form_Load();
    atRow(form, 1, [&] { QTest::mouseClick(form.Command2, Qt::LeftButton); });
    form.Command1_Click();
    QCOMPARE(names(packedMembers(project.read("Data.Pak"), 0, kNoKey)), (QStringList{"2.txt", "3.txt"}));
}

void TestBuild::secondClickDuringABuildDoesNothing()
{
    ScratchProject project;
    project.write("a.txt", "aaa");
    project.write("b.txt", "bbb");
    MessageRecorder recorder;
    Form1 form;
    form.Form_Load();
    form.Command2_Click();
    int nested = 0;
    atRow(form, 0, [&] {
        QTest::mouseClick(form.Command1, Qt::LeftButton);
        ++nested;
        // Still the first build, still running.
        QCOMPARE(form.Command1->text(), QStringLiteral("Please Wait.."));
        QVERIFY(form.isBuilding());
    });
    form.Command1_Click();
    QCOMPARE(nested, 1);
    QVERIFY(recorder.messages.isEmpty());
    QCOMPARE(names(packedMembers(project.read("Data.Pak"), 0, kNoKey)), (QStringList{"a.txt", "b.txt"}));
    QVERIFY(!form.isBuilding());
}

void TestBuild::closingDuringABuildKeepsTheEarlierPack()
{
    ScratchProject project;
    project.write("a.txt", "aaa");
    project.write("b.txt", "bbb");
    project.write("Data.Pak", "earlier pack");
    MessageRecorder recorder;
    Form1 form;
    form.Form_Load();
    form.List1->setSelected(rowOf(form, "a.txt"), true);
    form.List1->setSelected(rowOf(form, "b.txt"), true);
    atRow(form, 1, [&] { form.close(); });
    form.Command1_Click();

    QVERIFY(!form.isVisible());
    QCOMPARE(project.read("Data.Pak"), QByteArray("earlier pack"));
    QCOMPARE(project.rootEntries(), (QStringList{"Data.Pak", "PakProfile.QXT", "a.txt", "b.txt"}));
    // The profile written on closing still holds the ticks.
    QVERIFY(project.read("PakProfile.QXT").endsWith("a.txt\r\nb.txt\r\n"));
}

void TestBuild::failuresKeepTheEarlierPack_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("named");
    QTest::newRow("member vanished") << "vanish" << "big.bin";
    QTest::newRow("write fails part way") << "limit" << "Data.Pak";
    QTest::newRow("too many files") << "count" << "10,000";
    QTest::newRow("member of 2 GiB") << "huge" << "huge.bin";
}

void TestBuild::failuresKeepTheEarlierPack()
{
    QFETCH(QString, failure);
    QFETCH(QString, named);
    ScratchProject project;
    project.write("small.txt", "small");
    project.write("big.bin", packtest::pattern(300 * 1024));
    project.write("Data.Pak", "earlier pack");
    if (failure == "huge") {
        QFile huge(project.path() + "/huge.bin");
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1) << 31)); // sparse
    }
    MessageRecorder recorder;
    Form1 form;
    form.Form_Load();
    form.Command2_Click();
    if (failure == "count") {
        QStringList rows;
        for (int i = 0; i < 10001; ++i)
            rows << QStringLiteral("missing\\%1.bin").arg(i);
        form.List1->AddItems(rows);
        form.Command2_Click();
    }
    recorder.messages.clear();

    if (failure == "vanish")
        QVERIFY(QFile::remove(project.path() + "/big.bin"));
    {
        std::unique_ptr<FileSizeLimit> limit;
        if (failure == "limit")
            limit = std::make_unique<FileSizeLimit>(100 * 1024);
        form.Command1_Click();
    }
    QCOMPARE(recorder.messages.size(), 1);
    QVERIFY2(recorder.messages[0].contains(named), qPrintable(recorder.messages[0]));
    QCOMPARE(project.read("Data.Pak"), QByteArray("earlier pack"));
    QVERIFY(!project.exists("big.bin") || failure != "vanish");
    for (const QString &entry : project.rootEntries())
        QVERIFY2(!entry.startsWith("Data.Pak."), qPrintable(entry)); // no temporary file left
    QCOMPARE(form.Command1->text(), QStringLiteral("Create Pak File"));
    QVERIFY(form.List1->isEnabled());

    // The window stays usable: a build of what can be packed succeeds.
    form.Command3_Click();
    form.List1->setSelected(rowOf(form, "small.txt"), true);
    recorder.messages.clear();
    form.Command1_Click();
    QVERIFY(recorder.messages.isEmpty());
    QCOMPARE(names(packedMembers(project.read("Data.Pak"), 0, kNoKey)), QStringList{"small.txt"});
}

void TestBuild::failedAppendLeavesTheExecutableAsItWas()
{
    ScratchProject project;
    const QByteArray exe = packtest::pattern(40 * 1024, 7);
    project.write("Mygame.exe", exe);
    project.write("level.dat", packtest::pattern(30 * 1024, 9));
    MessageRecorder recorder;
    Form1 form;
    form.Form_Load();
    form.List1->setSelected(rowOf(form, "level.dat"), true);
    form.Check2->setValue(1);
    {
        FileSizeLimit limit(60 * 1024); // the pack fits, the grown executable does not
        form.Command1_Click();
    }
    QCOMPARE(recorder.messages.size(), 1);
    QVERIFY2(recorder.messages[0].contains("Mygame.exe"), qPrintable(recorder.messages[0]));
    QCOMPARE(project.read("Mygame.exe"), exe);
    QCOMPARE(names(packedMembers(project.read("Data.Pak"), 0, kNoKey)), QStringList{"level.dat"});
    QCOMPARE(form.Command1->text(), QStringLiteral("Create Pak File"));
}

void TestBuild::appendedExecutableStillRuns()
{
    ScratchProject project;
    QVERIFY(QFile::copy("/bin/true", project.path() + "/Mygame.exe"));
    QFile::setPermissions(project.path() + "/Mygame.exe", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    project.write("gfx/title.bmp", packtest::pattern(5000));
    MessageRecorder recorder;
    Form1 form;
    form.Form_Load();
    form.List1->setSelected(rowOf(form, "gfx\\title.bmp"), true);
    form.Check1->setValue(1);
    form.Check2->setValue(1);

    for (int run = 0; run < 2; ++run) {
        const qint64 before = project.read("Mygame.exe").size();
        form.Command1_Click();
        QVERIFY(recorder.messages.isEmpty());
        const QByteArray exe = project.read("Mygame.exe");
        const QByteArray pack = project.read("Data.Pak");
        QCOMPARE(exe.size(), before + pack.size() + 10);
        QVERIFY(exe.endsWith("QUILDX"));
        // The reader's rule: trailer word - M - 1 is the pack's offset.
        const qint64 at = qint64(quint32(packtest::wordAt(exe, exe.size() - 10) - kDesignMask - 1));
        QCOMPARE(at, before);
        QCOMPARE(exe.mid(at, pack.size()), pack);
        QCOMPARE(QProcess::execute(project.path() + "/Mygame.exe", {}), 0);
    }
}

void TestBuild::missingExecutableGivesOneMessage()
{
    ScratchProject project;
    project.write("a.txt", "a");
    MessageRecorder recorder;
    Form1 form;
    form.Form_Load();
    form.Check2->setValue(1);
    form.Text1->setText("Nope.exe");
    form.Command1_Click();
    QCOMPARE(recorder.messages, QStringList{".exe file not found. Quildex Created instead..."});
    QVERIFY(!project.exists("Nope.exe"));
    QVERIFY(project.exists("Data.Pak"));
}

QTEST_MAIN(TestBuild)
#include "tst_gui_build.moc"
