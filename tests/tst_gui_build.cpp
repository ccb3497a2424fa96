// "Create Pak Archive" through the real window: what is packed and read when, failures that keep the
// earlier pack, and what a hostile project must not make it do (store names a pack or profile cannot
// hold, ship a file from outside the project, lose its way in a folder whose name is not UTF-8).
#include "support/FileSizeLimit.h"
#include "support/GuiTestKit.h"
#include "support/PakProcess.h"
#include <sys/stat.h>
#include <unistd.h>

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
    // Ticked by clicks, masked and appended twice: the game must find the
    // newest pack (other members, so the first cannot pass for it).
    void packsTickedRowsInListOrder()
    {
        const QByteArray game = packtest::pattern(600, 3);
        LoadedWindow w{{"sub/c.dat", "sea"}, {"b.txt", "b"}, {"A.txt", "A"}, {"empty.bin", ""}, {"Game.exe", game}};
        Form1 &f = w.load();
        for (const char *row : {"sub\\c.dat", "empty.bin", "A.txt"})
            clickTick(f, rowOf(f, row));
        f.Check1->setValue(1);
        f.Check2->setValue(1);
        f.Text1->setText("Game.exe");
        QTest::mouseClick(f.Command1, Qt::LeftButton);
        QCOMPARE(w.members("Game.exe", "5D5D5D5D", "5B19C7E4"), w.files({"A.txt", "empty.bin", "sub\\c.dat"}));
        clickTick(f, rowOf(f, "A.txt"));
        clickTick(f, rowOf(f, "b.txt"));
        w.project.write("sub/c.dat", "changed");
        QTest::mouseClick(f.Command1, Qt::LeftButton);
        const QStringList rows{"b.txt", "empty.bin", "sub\\c.dat"};
        QCOMPARE(w.members("Data.Pak", "5D5D5D5D", "5B19C7E4"), w.files(rows));
        QVERIFY(w.project.read("Game.exe").startsWith(game));
        QCOMPARE(w.members("Game.exe", "5D5D5D5D", "5B19C7E4"), w.files(rows));
        QCOMPARE(w.recorder.messages, QStringList());
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

    // Closed (once, or again while the first close waits) during a build:
    // abandoned without a word, the earlier pack kept, the profile saved.
    void closingDuringABuildKeepsTheEarlierPack_data()
    {
        QTest::addColumn<int>("closes");
        QTest::newRow("once") << 1;
        QTest::newRow("twice") << 2;
    }
    void closingDuringABuildKeepsTheEarlierPack()
    {
        QFETCH(int, closes);
        LoadedWindow w{{"a.txt", "a"}, {"b.txt", "b"}, {"Data.Pak", "earlier"}};
        Form1 &f = w.load();
        for (int row = 0; row < closes; ++row)
            clickTick(f, row);
        f.turnIntervalMs = 0;
        atRow(f, 1, [&] {
            for (int i = 0; i < closes; ++i)
                f.close();
        });
        f.Command1_Click();
        QVERIFY(!f.isVisible() && w.recorder.messages.isEmpty());
        QCOMPARE(w.project.read("Data.Pak"), QByteArray("earlier"));
        QCOMPARE(w.project.rootEntries(), (QStringList{"Data.Pak", "PakProfile.QXT", "a.txt", "b.txt"}));
        QVERIFY(w.project.read("PakProfile.QXT").endsWith(closes == 1 ? "\r\na.txt\r\n" : "\r\na.txt\r\nb.txt\r\n"));
    }

    // A write failing part way (a full disk): said once, the earlier pack
    // kept, and the window still usable.
    void failuresKeepTheEarlierPack()
    {
        LoadedWindow w{{"small.txt", "small"}, {"big.bin", QByteArray(300 * 1024, 'b')}, {"Data.Pak", "earlier"}};
        Form1 &f = w.load();
        f.Command2_Click();
        w.recorder.messages.clear();
        {
            FileSizeLimit limit(100 * 1024);
            f.Command1_Click();
        }
        QCOMPARE(w.recorder.messages.size(), 1);
        QVERIFY2(w.recorder.messages[0].startsWith("Cannot write \"Data.Pak\""), qPrintable(w.recorder.messages[0]));
        QCOMPARE(w.project.read("Data.Pak"), QByteArray("earlier"));
        QCOMPARE(w.project.rootEntries().filter("Data.Pak"), QStringList{"Data.Pak"}); // no temporary left
        QCOMPARE(f.Command1->text(), QStringLiteral("Create Pak File"));
        f.Command3_Click();
        f.List1->setSelected(rowOf(f, "small.txt"), true);
        f.Command1_Click();
        QCOMPARE(w.members(), w.files({"small.txt"}));
    }

    // The profile keeps each option on a line of its own: a line break
    // pasted into a box would shift every later option at the next start.
    void pastedLineBreaksAreDropped()
    {
        LoadedWindow w{{"a.txt", "a"}};
        Form1 &f = w.load();
        f.Check2->setValue(1);
        for (auto [box, text] : {std::pair{f.Text1, "Game.exe\r\n"}, {f.Text2, "0BADF00D\r\n"}}) {
            box->selectAll();
            box->insert(text);
        }
        QCOMPARE(f.Text1->text() + '|' + f.Text2->text(), QStringLiteral("Game.exe|0BADF00D"));
        f.close();
        Form1 &again = w.load();
        QCOMPARE(again.Text1->text() + '|' + again.Text2->text() + '|' + again.Text3->text(),
                 QStringLiteral("Game.exe|0BADF00D|5B19C7E4"));
    }

    void projectPathThatIsNotUtf8_data()
    {
        QTest::addColumn<bool>("lookAlike");
        QTest::newRow("alone") << false;
        QTest::newRow("beside its look-alike") << true;
    }
    void projectPathThatIsNotUtf8()
    {
        QFETCH(bool, lookAlike);
        QTemporaryDir parent;
        const QByteArray base = QFile::encodeName(parent.path());
        // The real project, and perhaps a sibling named as its path decodes.
        const QByteArray real = base + "/proj\xff", decoded = base + "/proj\xef\xbf\xbd";
        QCOMPARE(::mkdir(real.constData(), 0700), 0);
        if (lookAlike) {
            QCOMPARE(::mkdir(decoded.constData(), 0700), 0);
            QVERIFY(packtest::writeFile(QFile::decodeName(decoded) + "/decoy.txt", "decoy"));
        }
        const QString previous = QDir::currentPath();
        QCOMPARE(::chdir(real.constData()), 0);
        QVERIFY(packtest::writeFile("real.txt", "real") && packtest::writeFile("game.exe", "MZ"));
        {
            MessageRecorder recorder;
            Form1 f;
            f.Form_Load();
            f.Check2->setValue(1);
            f.Text1->setText("game.exe");
            f.Command2_Click();
            f.Command1_Click();
            f.close();
            QCOMPARE(recorder.messages, QStringList());
        }
        const QByteArray pack = packtest::readFile("Data.Pak");
        QCOMPARE(readback::members(pack), readback::files(".", {"real.txt"}));
        QVERIFY(packtest::readFile("game.exe").startsWith("MZ" + pack));
        QVERIFY(packtest::readFile("PakProfile.QXT").endsWith("game.exe\r\n5B19C7E4\r\nreal.txt\r\n"));
        QVERIFY(QFile::remove("Data.Pak"));
        const PakRun run = runPak({"build", "-q"}, QString()); // in the current directory, reached by its bytes
        QCOMPARE(run.err, QString());
        QCOMPARE(readback::members(packtest::readFile("Data.Pak")), readback::files(".", {"real.txt"}));
        QDir::setCurrent(previous);
        QCOMPARE(QFileInfo::exists(QFile::decodeName(decoded)), lookAlike);
        QCOMPARE(QDir(QFile::decodeName(decoded)).entryList(QDir::Files | QDir::Hidden),
                 lookAlike ? QStringList{"decoy.txt"} : QStringList());
    }

    // Line breaks would split a profile line; a link out of the project
    // would ship someone's private file.
    void unstorableNamesAndOutwardLinksCannotBeTicked()
    {
        QTemporaryDir outside;
        QVERIFY(packtest::writeFile(outside.filePath("id_rsa"), "secret"));
        LoadedWindow w{{"ok.txt", "ok"}, {"bad\rname.txt", "x"}, {"also\nbad.txt", "y"}, {"in.txt", "in"}};
        QVERIFY(QFile::link(outside.filePath("id_rsa"), "logo.png") && QFile::link("in.txt", "copy.txt"));
        Form1 &f = w.load();
        clickTick(f, rowOf(f, "bad\rname.txt"));
        QCOMPARE(w.recorder.messages.size(), 1);
        QVERIFY2(w.recorder.messages[0].contains("bad\\x0dname.txt") && w.recorder.messages[0].contains("carriage return"),
                 qPrintable(w.recorder.messages[0]));
        f.Command2_Click(); // one message for each kind, for the whole Select All
        QCOMPARE(w.recorder.messages.size(), 3);
        QVERIFY(w.recorder.messages[1].startsWith("2 files cannot be ticked"));
        QVERIFY2(w.recorder.messages[2].startsWith("This link cannot be ticked:\n\n\"logo.png\" -> \"" + outside.filePath("id_rsa") + "\""),
                 qPrintable(w.recorder.messages[2]));
        QCOMPARE(tickedRows(f), (QStringList{"copy.txt", "in.txt", "ok.txt"}));
        f.Command1_Click();
        QCOMPARE(w.members(), w.files({"copy.txt", "in.txt", "ok.txt"}));
        f.close();
        QVERIFY(w.project.read("PakProfile.QXT").endsWith("\r\ncopy.txt\r\nin.txt\r\nok.txt\r\n"));
    }

    // The start-up measures the profile's rows before it ticks them: each
    // measurement must reach its own row, and refuse as a click would.
    void startupTicksAreMeasuredAsClicksAre()
    {
        QTemporaryDir outside;
        QVERIFY(packtest::writeFile(outside.filePath("id_rsa"), "secret"));
        LoadedWindow w{{"a.txt", "1"}, {"b/c.txt", "22"}, {"z.txt", "4444"}, {"skip.txt", "88888888"}};
        QVERIFY(QFile::link(outside.filePath("id_rsa"), "logo.png"));
        w.project.write("PakProfile.QXT", "h\r\n0\r\n0\r\nK\r\nMygame.exe\r\nM\r\nZ.TXT\r\nlogo.png\r\nB\\C.txt\r\na.txt\r\n");
        Form1 &f = w.load();
        QCOMPARE(tickedRows(f), (QStringList{"a.txt", "b\\c.txt", "z.txt"}));
        QCOMPARE(f.packSizeTotal(), qint64(1 + 2 + 4));
        QCOMPARE(w.recorder.messages.size(), 1);
        QVERIFY2(w.recorder.messages[0].startsWith("This link cannot be ticked:\n\n\"logo.png\" -> \"" + outside.filePath("id_rsa")),
                 qPrintable(w.recorder.messages[0]));
        clickTick(f, rowOf(f, "z.txt")); // measured again, now as a click
        QCOMPARE(f.packSizeTotal(), qint64(1 + 2));
    }
};

QTEST_MAIN(TestBuild)
#include "tst_gui_build.moc"
