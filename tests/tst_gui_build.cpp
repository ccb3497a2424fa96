// "Create Pak Archive" through the real window: what is packed, what is read
// when, that the game reads back every member as its file holds it, and that
// no failure damages the earlier pack or the executable.
#include "support/FileSizeLimit.h"
#include "support/GuiTestKit.h"
#include "support/PackTestUtil.h"

namespace {
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
    void packsTickedRowsInListOrder_data()
    {
        QTest::addColumn<bool>("masked"); // with the design key and mask
        QTest::addColumn<QString>("exe"); // appended to, when not empty
        QTest::addColumn<int>("builds");  // each appends; the game must find the newest
        for (bool masked : {false, true}) {
            const char *how = masked ? "masked" : "plain";
            QTest::addRow("%s", how) << masked << "" << 1;
            QTest::addRow("%s, appended", how) << masked << "Game.exe" << 1;
            QTest::addRow("%s, appended twice", how) << masked << "Game.exe" << 2;
        }
        QTest::newRow("executable missing") << true << "Nope.exe" << 1;
    }
    void packsTickedRowsInListOrder()
    {
        QFETCH(bool, masked);
        QFETCH(QString, exe);
        QFETCH(int, builds);
        const QByteArray game = packtest::pattern(600, 3);
        LoadedWindow w{{"sub/c.dat", "sea"}, {"b.txt", "b"}, {"A.txt", "A"}, {"empty.bin", ""}, {"Game.exe", game}};
        Form1 &f = w.load();
        for (const char *row : {"sub\\c.dat", "empty.bin", "A.txt"})
            clickTick(f, rowOf(f, row));
        f.Check1->setValue(masked);
        f.Check2->setValue(!exe.isEmpty());
        f.Text1->setText(exe);
        QTest::mouseClick(f.Command1, Qt::LeftButton);
        QStringList rows{"A.txt", "empty.bin", "sub\\c.dat"};
        if (builds == 2) { // other members, so the first pack cannot pass for the newest
            clickTick(f, rowOf(f, "A.txt"));
            clickTick(f, rowOf(f, "b.txt"));
            w.project.write("sub/c.dat", "changed");
            QTest::mouseClick(f.Command1, Qt::LeftButton);
            rows[0] = "b.txt";
        }
        const char *key = masked ? "5D5D5D5D" : nullptr, *mask = masked ? "5B19C7E4" : nullptr;
        QCOMPARE(w.members("Data.Pak", key, mask), w.files(rows));
        if (exe == "Game.exe") {
            QVERIFY(w.project.read("Game.exe").startsWith(game));
            QCOMPARE(w.members("Game.exe", key, mask), w.files(rows));
        }
        QCOMPARE(w.recorder.messages, exe == "Nope.exe" ? QStringList{".exe file not found. Quildex Created instead..."}
                                                        : QStringList());
        QVERIFY(!w.project.exists("Nope.exe"));
        QCOMPARE(f.Command1->text(), QStringLiteral("Create Pak File"));
        QVERIFY(f.List1->isEnabled());
        QCOMPARE(f.List1->ListIndex(), f.List1->ListCount() - 1);
    }

    void optionsAreReadOnceButTicksLive()
    {
        LoadedWindow w{{"1.txt", "1"}, {"2.txt", "2"}, {"3.txt", "3"}};
        Form1 &f = w.load();
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
        QCOMPARE(w.recorder.messages, QStringList());
        QCOMPARE(w.members("Data.Pak", "5D5D5D5D", "5B19C7E4"), w.files({"2.txt", "3.txt"}));
    }

    void closingDuringABuildKeepsTheEarlierPack()
    {
        LoadedWindow w{{"a.txt", "a"}, {"b.txt", "b"}, {"Data.Pak", "earlier"}};
        Form1 &f = w.load();
        clickTick(f, rowOf(f, "a.txt")); // no row after the close is ticked: nothing more is read
        f.turnIntervalMs = 0;
        atRow(f, 1, [&] { f.close(); });
        f.Command1_Click();
        QVERIFY(!f.isVisible() && w.recorder.messages.isEmpty()); // abandoned without a word
        QCOMPARE(w.project.read("Data.Pak"), QByteArray("earlier"));
        QCOMPARE(w.project.rootEntries(), (QStringList{"Data.Pak", "PakProfile.QXT", "a.txt", "b.txt"}));
        QVERIFY(w.project.read("PakProfile.QXT").endsWith("\r\na.txt\r\n"));
    }

    // A second close while the first waits for the build still waits: the
    // build is abandoned, never finished behind a closed window.
    void closingTwiceDuringABuildStillAbandonsIt()
    {
        LoadedWindow w{{"a.txt", "a"}, {"b.txt", "b"}, {"Data.Pak", "earlier"}};
        Form1 &f = w.load();
        clickTick(f, rowOf(f, "a.txt"));
        clickTick(f, rowOf(f, "b.txt"));
        f.turnIntervalMs = 0;
        atRow(f, 1, [&] {
            f.close();
            f.close();
        });
        f.Command1_Click();
        QVERIFY(!f.isVisible() && w.recorder.messages.isEmpty());
        QCOMPARE(w.project.read("Data.Pak"), QByteArray("earlier"));
        QVERIFY(w.project.read("PakProfile.QXT").endsWith("\r\na.txt\r\nb.txt\r\n"));
    }

    void failuresKeepTheEarlierPack_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("named");
        QTest::newRow("member vanished") << "vanish" << "big.bin";
        QTest::newRow("write fails part way") << "limit" << "Data.Pak";
    }
    void failuresKeepTheEarlierPack()
    {
        QFETCH(QString, failure);
        QFETCH(QString, named);
        LoadedWindow w{{"small.txt", "small"}, {"big.bin", QByteArray(300 * 1024, 'b')}, {"Data.Pak", "earlier"}};
        Form1 &f = w.load();
        f.Command2_Click();
        w.recorder.messages.clear();
        if (failure == "vanish")
            QFile::remove("big.bin");
        {
            FileSizeLimit limit(failure == "limit" ? 100 * 1024 : 1 << 30);
            f.Command1_Click();
        }
        QCOMPARE(w.recorder.messages.size(), 1);
        QVERIFY2(w.recorder.messages[0].contains(named), qPrintable(w.recorder.messages[0]));
        QCOMPARE(w.project.read("Data.Pak"), QByteArray("earlier"));
        QCOMPARE(w.project.rootEntries().filter("Data.Pak"), QStringList{"Data.Pak"}); // no temporary left
        // The window stays usable.
        QCOMPARE(f.Command1->text(), QStringLiteral("Create Pak File"));
        f.Command3_Click();
        f.List1->setSelected(rowOf(f, "small.txt"), true);
        f.Command1_Click();
        QCOMPARE(w.members(), w.files({"small.txt"}));
    }
};

QTEST_MAIN(TestBuild)
#include "tst_gui_build.moc"
