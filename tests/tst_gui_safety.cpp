// What a hostile or unlucky project must not do to the program or to the
// user's files: hang it, make it write outside the project, or damage a pack.
#include "app/Startup.h"
#include "support/PakProcess.h"
#include "support/GuiTestKit.h"
#include "support/PackTestUtil.h"
#include <QApplication>
#include <QTimer>
#include <sys/stat.h>
#include <unistd.h>

namespace {
void makeFifo(const QString &path)
{
    QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
}
} // namespace

class TestSafety : public QObject {
    Q_OBJECT
private slots:
    void namedPipesNeverBlock()
    {
        LoadedWindow w{{"a.txt", "a"}, {"b.txt", "b"}, {"Data.Pak", "earlier"}};
        makeFifo("PakProfile.QXT"); // read as no profile
        Form1 &f = w.load();
        QCOMPARE(f.List1->ListCount(), 3);
        f.Command2_Click();
        QFile::remove("b.txt");
        makeFifo("b.txt"); // swapped in after the start-up
        w.recorder.messages.clear();
        f.Command1_Click();
        QCOMPARE(w.recorder.messages.size(), 1);
        QVERIFY2(w.recorder.messages[0].contains("\"b.txt\": it is not a regular file")
                     && w.recorder.messages[0].endsWith("Data.Pak was not changed."),
                 qPrintable(w.recorder.messages[0]));
        QCOMPARE(w.project.read("Data.Pak"), QByteArray("earlier"));
    }

    void packAndProfileLinksAreNeverFollowed_data()
    {
        QTest::addColumn<bool>("dangling");
        QTest::newRow("link to a file") << false;
        QTest::newRow("dangling link") << true;
    }
    void packAndProfileLinksAreNeverFollowed()
    {
        QFETCH(bool, dangling);
        QTemporaryDir outside;
        const QString victim = outside.filePath("victim"), victimProfile = outside.filePath("profile");
        if (!dangling) {
            QVERIFY(packtest::writeFile(victim, "user's file"));
            QVERIFY(packtest::writeFile(victimProfile, "user's profile"));
        }
        LoadedWindow w{{"a.txt", "a"}};
        QVERIFY(QFile::link(victim, "Data.Pak") && QFile::link(victimProfile, "PakProfile.QXT"));
        Form1 &f = w.load();
        f.Command2_Click(); // the profile's link leads out of the project: refused when it leads anywhere
        QCOMPARE(w.recorder.messages.size(), dangling ? 0 : 1);
        w.recorder.messages.clear();
        f.Command1_Click();
        QCOMPARE(w.recorder.messages.size(), 1);
        QVERIFY2(w.recorder.messages[0].contains("\"Data.Pak\": it is a symbolic link to \"" + victim + "\""),
                 qPrintable(w.recorder.messages[0]));
        f.close();
        QCOMPARE(w.recorder.messages.size(), 2);
        QVERIFY(w.recorder.messages[1].contains("\"PakProfile.QXT\": it is a symbolic link to \"" + victimProfile));
        // Links and targets as they were.
        QCOMPARE(QFileInfo("Data.Pak").symLinkTarget(), victim);
        QCOMPARE(QFileInfo("PakProfile.QXT").symLinkTarget(), victimProfile);
        QCOMPARE(QFileInfo::exists(victim), !dangling);
        if (!dangling)
            QCOMPARE(packtest::readFile(victim) + packtest::readFile(victimProfile),
                     QByteArray("user's fileuser's profile"));
    }

    void closeDuringStartUpEndsTheProgram()
    {
        ScratchProject project;
        project.write("a.txt", "a");
        // A close asked for as soon as the window shows, during the start-up.
        struct CloseOnShow : QObject {
            bool eventFilter(QObject *o, QEvent *e) override
            {
                if (e->type() == QEvent::Show && qobject_cast<Form1 *>(o))
                    QTimer::singleShot(0, o, [o] { static_cast<Form1 *>(o)->close(); });
                return false;
            }
        } closer;
        qApp->installEventFilter(&closer);
        QTimer::singleShot(20000, qApp, [] { QCoreApplication::exit(99); }); // a hang fails, not blocks
        const int status = wf::runWindow();
        qApp->removeEventFilter(&closer);
        QCOMPARE(status, 0);
        QVERIFY(project.read("PakProfile.QXT").startsWith("Korvane Pak System Profile\r\n"));
    }

    void packIsNeverAppendedToItself_data()
    {
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QString>("named");
        QTest::newRow("Data.Pak") << "Data.Pak" << "cannot be appended to itself";
        QTest::newRow("./Data.Pak") << "./Data.Pak" << "cannot be appended to itself";
        QTest::newRow("a link to it") << "sub\\pack-link" << "cannot be appended to itself";
        QTest::newRow("the profile") << "PakProfile.QXT" << "cannot be appended to the profile";
        // A project from someone else can carry Mygame.exe -> ~/.bashrc.
        QTest::newRow("a link out of the project") << "sub\\out-link" << "leads outside the project directory";
        // A sibling whose name starts with the project's is still outside it.
        QTest::newRow("a link to proj-evil") << "sub\\evil-link" << "leads outside the project directory";
        QTest::newRow("a directory") << "sub" << "it is a directory, not a regular file";
    }
    void packIsNeverAppendedToItself()
    {
        QFETCH(QString, exe);
        QFETCH(QString, named);
        QTemporaryDir outside;
        const QString victim = outside.filePath("victim");
        QVERIFY(packtest::writeFile(victim, "user's file"));
        LoadedWindow w{{"a.txt", "alpha"}, {"PakProfile.QXT", "h\r\n0\r\n0\r\nK\r\nE\r\nM\r\na.txt\r\n"}};
        const QString evil = w.project.path() + "-evil";
        QVERIFY(QDir().mkdir("sub") && QFile::link("../Data.Pak", "sub/pack-link") && QFile::link(victim, "sub/out-link"));
        QVERIFY(QDir().mkdir(evil) && packtest::writeFile(evil + "/game.exe", "user's file"));
        QVERIFY(QFile::link(evil + "/game.exe", "sub/evil-link"));
        Form1 &f = w.load();
        f.Check2->setValue(1);
        f.Text1->setText(exe);
        const QByteArray profile = w.project.read("PakProfile.QXT");
        f.Command1_Click();
        QCOMPARE(w.recorder.messages.size(), 1);
        QVERIFY2(w.recorder.messages[0].contains(named), qPrintable(w.recorder.messages[0]));
        QCOMPARE(w.members(), w.files({"a.txt"}));
        QCOMPARE(w.project.read("PakProfile.QXT"), profile);
        QCOMPARE(packtest::readFile(victim) + packtest::readFile(evil + "/game.exe"), QByteArray("user's fileuser's file"));
        QDir(evil).removeRecursively();
    }

    // The profile keeps each option on a line of its own: a line break
    // pasted into a box would shift every later option at the next start.
    void pastedLineBreaksAreDropped()
    {
        LoadedWindow w{{"a.txt", "a"}};
        Form1 &f = w.load();
        f.Check2->setValue(1);
        f.Text1->selectAll();
        f.Text1->insert("Game.exe\r\n");
        f.Text2->selectAll();
        f.Text2->insert("0BADF00D\r\n");
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

};

QTEST_MAIN(TestSafety)
#include "tst_gui_safety.moc"
