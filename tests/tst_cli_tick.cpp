// wrenfold-pak tick and untick as a process: the profile they write is the
// window's after the same ticks and a close, byte for byte, and the window
// started on it shows the same ticks; what they refuse changes nothing.
#include "project/RowMatch.h"
#include "support/GuiTestKit.h"
#include "support/PakProcess.h"
#include <sys/stat.h>

namespace {
const QByteArray kHeader = "Korvane Pak System Profile\r\n";

void seed(const ScratchProject &p, const QByteArray &profile)
{
    for (const char *name : {"intro.txt", "README.TXT", "gfx/title.bmp", "gfx/fonts/big.fnt", "maps/one.map", "Game.exe", "Data.Pak"})
        p.write(name, name);
    if (!profile.isNull())
        p.write("PakProfile.QXT", profile);
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
        QTest::newRow("no profile") << QByteArray() << QStringList{"gfx/*", "*.TXT"} << true << "ticked 4 files; made PakProfile.QXT";
        QTest::newRow("stale rows dropped") << options + "GONE.TXT\r\nINTRO.TXT\r\nold\\x\r\n" << QStringList{"maps\\*", "i*"}
                                            << true << "ticked 1 file, 1 already ticked; dropped 2 stale rows";
        QTest::newRow("untick") << options + "gfx\\title.bmp\r\nintro.txt\r\ngfx\\fonts\\big.fnt\r\n"
                                << QStringList{"*.BMP", "maps/*"} << false << "unticked 1 file, 1 already unticked";
        QTest::newRow("options as the window keeps them")
                << kHeader + " 1.4 \r\n2\r\n0123456789ABCDEF\r\nGAME.EXE\r\n$FEEDC0DE99\r\n" << QStringList{"*"} << true << "ticked 6 files";
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
            QStringList rows;
            for (int i = 0; i < f.List1->ListCount(); ++i)
                rows << f.List1->List(i);
            for (const QString &pattern : patterns) // as Tick Matching... does
                f.setTicks(wf::rowsMatching(rows, pattern), tick);
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
        QCOMPARE(tickedRows(w.load()), ticked);
        QCOMPARE(w.recorder.messages, QStringList());
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        QTest::newRow("matches nothing") << QStringList{"tick", "*.png", "intro.txt"} << 1 << "\"*.png\" matches no file in the project";
        QTest::newRow("a folder") << QStringList{"tick", "gfx"} << 1 << "for the files in that folder give \"gfx/*\"";
        QTest::newRow("the pack") << QStringList{"tick", "data.pak"} << 1
                                  << "\"data.pak\" matches only names that can never be ticked: \"Data.Pak\" (the pack's own name)";
        QTest::newRow("no pattern") << QStringList{"tick"} << 2 << "a pattern is needed";
        QTest::newRow("dry run") << QStringList{"tick", "-n", "gfx/*"} << 0 << "would tick 2 files\n";
        QTest::newRow("profile is a link") << QStringList{"tick", "gfx/*"} << 1 << "it is a symbolic link";
        QTest::newRow("profile is a pipe") << QStringList{"tick", "gfx/*"} << 1 << "cannot be read as a profile";
        QTest::newRow("nothing to change") << QStringList{"tick", "INTRO.*"} << 0 << "ticked 0 files, 1 already ticked";
    }
    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, says);
        ScratchProject project;
        const QByteArray profile = kHeader + " 0 \r\n 0 \r\nK\r\nGame.exe\r\nM\r\nintro.txt\r\n";
        seed(project, profile);
        const QByteArray tag = QTest::currentDataTag();
        const QString path = project.path() + "/PakProfile.QXT";
        if (tag == "profile is a link") {
            QVERIFY(QFile::rename(path, project.path() + "/real.qxt") && QFile::link("real.qxt", path));
        } else if (tag == "profile is a pipe") {
            QFile::remove(path);
            QCOMPARE(::mkfifo(qPrintable(path), 0600), 0);
        }
        const QStringList before = QDir(project.path()).entryList(QDir::AllEntries | QDir::Hidden);
        // A profile that is not written again keeps its time: a build that
        // depends on it does not run.
        const QDateTime old = QDateTime::currentDateTimeUtc().addSecs(-3600);
        QFile stamp(path);
        if (tag == "nothing to change")
            QVERIFY(stamp.open(QIODevice::ReadWrite) && stamp.setFileTime(old, QFileDevice::FileModificationTime));
        const PakRun run = runPak(args, project.path());
        QVERIFY2((run.err + run.out).contains(says), qPrintable(run.err + run.out));
        QCOMPARE(run.status, status);
        if (tag == "dry run")
            QCOMPARE(run.out, QString("gfx\\fonts\\big.fnt\ngfx\\title.bmp\nintro.txt\n"));
        if (tag != "profile is a pipe")
            QCOMPARE(project.read("PakProfile.QXT"), profile);
        QCOMPARE(QFileInfo(path).isSymLink(), tag == "profile is a link");
        if (tag == "nothing to change")
            QCOMPARE(QFileInfo(path).lastModified().toUTC(), old);
        QCOMPARE(QDir(project.path()).entryList(QDir::AllEntries | QDir::Hidden), before); // no temporary file left
    }
};

QTEST_MAIN(TestCliTick)
#include "tst_cli_tick.moc"
