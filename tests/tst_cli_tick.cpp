// wrenfold-pak tick and untick, run as a process on scratch projects: the
// profile they write is byte for byte the one the window writes after the
// same ticks through its list's menu and a close, and the window shows the
// same ticks when it starts on it; what they refuse changes nothing.
#include "project/RowMatch.h"
#include "support/GuiTestKit.h"
#include "support/PakProcess.h"
#include <sys/stat.h>

namespace {

const QByteArray kHeader = "Korvane Pak System Profile\r\n";

void seed(const ScratchProject &p, const QByteArray &profile)
{
    p.write("intro.txt", "hello");
    p.write("README.TXT", "read me");
    p.write("gfx/title.bmp", "BM");
    p.write("gfx/fonts/big.fnt", "font");
    p.write("maps/one.map", "map");
    p.write("Game.exe", "exe");
    p.write("Data.Pak", "old pack");
    if (!profile.isNull())
        p.write("PakProfile.QXT", profile);
}

QStringList windowRows(Form1 &f)
{
    QStringList rows;
    for (int i = 0; i < f.List1->ListCount(); ++i)
        rows << f.List1->List(i);
    return rows;
}

} // namespace

class TestCliTick : public QObject {
    Q_OBJECT
private slots:
    void sameProfileAsTheWindow_data()
    {
        QTest::addColumn<QByteArray>("profile"); // null: none
        QTest::addColumn<QStringList>("patterns");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<QString>("says");
        const QByteArray options = kHeader + " 0 \r\n 1 \r\n5D5D5D5D\r\nGame.exe\r\n5B19C7E4\r\n";
        QTest::newRow("no profile") << QByteArray() << QStringList{"gfx/*", "*.TXT"} << true
                                    << "ticked 4 files; made PakProfile.QXT";
        QTest::newRow("stale rows dropped") << options + "GONE.TXT\r\nINTRO.TXT\r\nold\\x\r\n" << QStringList{"maps\\*", "i*"}
                                            << true << "ticked 1 file, 1 already ticked; dropped 2 stale rows";
        QTest::newRow("untick") << options + "gfx\\title.bmp\r\nintro.txt\r\ngfx\\fonts\\big.fnt\r\n"
                                << QStringList{"*.BMP", "maps/*"} << false << "unticked 1 file, 1 already unticked";
        QTest::newRow("options as the window keeps them")
                << kHeader + " 1.4 \r\n2\r\n0123456789ABCDEF\r\nGAME.EXE\r\n$FEEDC0DE99\r\n" << QStringList{"*"} << true
                << "ticked 6 files";
        QTest::newRow("short profile") << kHeader + " 1 \r\n 0 \r\n" << QStringList{"intro.txt"} << true << "ticked 1 file";
        QTest::newRow("bad tick value") << kHeader + " 3 \r\n 1 \r\nK\r\nX\r\nM\r\nintro.txt\r\n" << QStringList{"?ntro.*"}
                                        << true << "ticked 1 file";
    }
    void sameProfileAsTheWindow()
    {
        QFETCH(QByteArray, profile);
        QFETCH(QStringList, patterns);
        QFETCH(bool, tick);
        QFETCH(QString, says);
        QByteArray byWindow;
        QStringList ticked;
        {
            LoadedWindow w;
            seed(w.project, profile);
            Form1 &f = w.load();
            for (const QString &pattern : patterns) // as Tick Matching... does
                f.setTicks(wf::rowsMatching(windowRows(f), pattern), tick);
            ticked = tickedRows(f);
            f.close();
            byWindow = w.project.read("PakProfile.QXT");
        }
        LoadedWindow w;
        seed(w.project, profile);
        const PakRun run = runPak(QStringList{tick ? "tick" : "untick", "-C", w.project.path()} + patterns);
        QVERIFY2(run.out.startsWith(says), qPrintable(run.out + run.err));
        QCOMPARE(run.status, 0);
        QCOMPARE(w.project.read("PakProfile.QXT"), byWindow);
        // The window started on it shows the same ticks.
        QCOMPARE(tickedRows(w.load()), ticked);
        QCOMPARE(w.recorder.messages, QStringList());
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        const QByteArray profile = kHeader + " 0 \r\n 0 \r\nK\r\nGame.exe\r\nM\r\nintro.txt\r\n";
        QTest::newRow("matches nothing") << profile << QStringList{"tick", "*.png", "intro.txt"} << 1
                                         << "\"*.png\" matches no file in the project";
        QTest::newRow("a folder") << profile << QStringList{"tick", "gfx"} << 1 << "for the files in that folder give \"gfx/*\"";
        QTest::newRow("the pack") << profile << QStringList{"tick", "data.pak"} << 1
                                  << "\"data.pak\" matches only names that can never be ticked: \"Data.Pak\" (the pack's own name)";
        QTest::newRow("the executable") << profile << QStringList{"untick", "GAME.exe"} << 1 << "(the executable's name)";
        QTest::newRow("empty pattern") << profile << QStringList{"tick", ""} << 1 << "\"\" matches no file";
        QTest::newRow("no pattern") << profile << QStringList{"tick"} << 2 << "a pattern is needed";
        QTest::newRow("dry run") << profile << QStringList{"tick", "-n", "gfx/*"} << 0 << "would tick 2 files\n";
        QTest::newRow("profile is a link") << profile << QStringList{"tick", "gfx/*"} << 1 << "it is a symbolic link";
        QTest::newRow("profile is a pipe") << profile << QStringList{"tick", "gfx/*"} << 1
                                           << "cannot be read as a profile";
        QTest::newRow("nothing to change") << profile << QStringList{"tick", "INTRO.*"} << 0 << "ticked 0 files, 1 already ticked";
        QTest::newRow("no such directory") << profile << QStringList{"tick", "-C", "none", "*"} << 1 << "cannot enter \"none\"";
    }
    void refusals()
    {
        QFETCH(QByteArray, profile);
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, says);
        ScratchProject project;
        seed(project, profile);
        const QByteArray tag = QTest::currentDataTag();
        if (tag == "profile is a link") {
            QVERIFY(QFile::rename(project.path() + "/PakProfile.QXT", project.path() + "/real.qxt"));
            QVERIFY(QFile::link("real.qxt", project.path() + "/PakProfile.QXT"));
        } else if (tag == "profile is a pipe") {
            QFile::remove(project.path() + "/PakProfile.QXT");
            QCOMPARE(::mkfifo(qPrintable(project.path() + "/PakProfile.QXT"), 0600), 0);
        }
        const QStringList before = QDir(project.path()).entryList(QDir::AllEntries | QDir::Hidden);
        // A profile that is not written again keeps its time: a build that
        // depends on it does not run.
        const QDateTime old = QDateTime::currentDateTimeUtc().addSecs(-3600);
        QFile stamp(project.path() + "/PakProfile.QXT");
        if (tag == "nothing to change")
            QVERIFY(stamp.open(QIODevice::ReadWrite) && stamp.setFileTime(old, QFileDevice::FileModificationTime));
        const PakRun run = runPak(args, project.path());
        QVERIFY2((run.err + run.out).contains(says), qPrintable(run.err + run.out));
        QCOMPARE(run.status, status);
        if (tag == "dry run")
            QCOMPARE(run.out, QString("gfx\\fonts\\big.fnt\ngfx\\title.bmp\nintro.txt\n"));
        if (tag != "profile is a pipe")
            QCOMPARE(project.read("PakProfile.QXT"), profile);
        QCOMPARE(QFileInfo(project.path() + "/PakProfile.QXT").isSymLink(), tag == "profile is a link");
        if (tag == "nothing to change")
            QCOMPARE(QFileInfo(project.path() + "/PakProfile.QXT").lastModified().toUTC(), old);
        QCOMPARE(QDir(project.path()).entryList(QDir::AllEntries | QDir::Hidden), before); // no temporary file left
    }
};

QTEST_MAIN(TestCliTick)
#include "tst_cli_tick.moc"
