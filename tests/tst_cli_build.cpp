// wrenfold-pak build, run as a process on scratch projects: the same pack as
// the window's first build, its exit statuses, and failures that keep the
// earlier pack.
#include "options/RandomSource.h"
#include "support/GuiTestKit.h"
#include "support/PakProcess.h"
#include <QTemporaryDir>

namespace {
void seed(const ScratchProject &p, const QByteArray &options)
{
    p.write("gfx/title.bmp", QByteArray(3000, 't'));
    p.write("intro.txt", "hello");
    p.write("empty.bin", "");
    p.write("skip.txt", "not ticked");
    p.write("Game.exe", QByteArray(600, 'x'));
    p.write("PakProfile.QXT", "Korvane Pak System Profile\r\n" + options
                                  + "\r\nINTRO.TXT\r\ngfx\\title.bmp\r\nempty.bin\r\ngone.txt\r\nGame.exe\r\nData.Pak\r\n");
}
} // namespace

class TestCliBuild : public QObject {
    Q_OBJECT
private slots:
    void sameBytesAsTheWindowsFirstBuild_data()
    {
        QTest::addColumn<QByteArray>("options"); // profile lines 2 to 6
        QTest::addColumn<QString>("file");       // what to compare
        QTest::addColumn<QStringList>("read");   // key and mask texts, when masked
        QTest::newRow("plain") << QByteArray(" 0 \r\n 0 \r\n5D5D5D5D\r\nGame.exe\r\n5B19C7E4") << "Data.Pak"
                               << QStringList();
        QTest::newRow("masked") << QByteArray(" 1 \r\n 0 \r\n0BADF00D\r\nGame.exe\r\nFEEDC0DE") << "Data.Pak"
                                << QStringList{"0BADF00D", "FEEDC0DE"};
        QTest::newRow("appended") << QByteArray(" 1 \r\n 1 \r\n5D5D5D5D\r\nGame.exe\r\n5B19C7E4") << "Game.exe"
                                  << QStringList{"5D5D5D5D", "5B19C7E4"};
    }
    void sameBytesAsTheWindowsFirstBuild()
    {
        QFETCH(QByteArray, options);
        QFETCH(QString, file);
        QFETCH(QStringList, read);
        QByteArray byWindow;
        {
            LoadedWindow w;
            seed(w.project, options);
            wf::RandomSource::shared() = wf::RandomSource(); // as at program start
            Form1 &f = w.load();
            QTest::mouseClick(f.Command1, Qt::LeftButton);
            QCOMPARE(w.recorder.messages, QStringList());
            byWindow = w.project.read(file);
        }
        ScratchProject project;
        seed(project, options);
        // --quiet still names the rows that name no file (Data.Pak is not
        // there yet), and the pack is still the window's.
        const PakRun run = runPak({"build", "--quiet"}, project.path());
        QCOMPARE(run.err, QString("wrenfold-pak: PakProfile.QXT line 10: \"gone.txt\" names no file in the project; "
                                  "it is not packed\nwrenfold-pak: PakProfile.QXT line 12: \"Data.Pak\" names no "
                                  "file in the project; it is not packed\n"));
        QCOMPARE(run.status, 4);
        QCOMPARE(project.read(file), byWindow);
        const QStringList expected{"empty.bin=", "gfx\\title.bmp=" + QString(3000, 't'), "intro.txt=hello"};
        QCOMPARE(read.isEmpty() ? readback::members(byWindow)
                                : readback::members(byWindow, qPrintable(read[0]), qPrintable(read[1])),
                 expected);
    }

    void exitStatuses_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("err"); // parts of standard error
        QTest::addColumn<QStringList>("packed"); // members of the new pack; none: the earlier pack stays
        const QString plain = "h\r\n0\r\n0\r\nK\r\nGame.exe\r\nM\r\nintro.txt\r\n";
        const QStringList intro{"intro.txt=hello"};
        QTest::newRow("built") << QStringList{"build"} << plain << 0 << QStringList{"Packed 1/1 files"} << intro;
        QTest::newRow("no profile") << QStringList{"build"} << "" << 1 << QStringList{"no PakProfile.QXT"}
                                    << QStringList();
        QTest::newRow("exe missing") << QStringList{"build", "-q"}
                                     << "h\r\n0\r\n1\r\nK\r\nNone.exe\r\nM\r\nintro.txt\r\n" << 3
                                     << QStringList{".exe file not found"} << intro;
        QTest::newRow("append greyed") << QStringList{"build"} << "h\r\n0\r\n2\r\nK\r\nNone.exe\r\nM\r\nintro.txt\r\n" << 0
                                       << QStringList{"Packed 1/1 files"} << intro; // only a tick appends
        QTest::newRow("pack name is a link") << QStringList{"build"} << plain << 1
                                             << QStringList{"\"Data.Pak\": it is a symbolic link"} << QStringList();
        QTest::newRow("unknown option") << QStringList{"build", "--fast"} << plain << 2 << QStringList{"Unknown option"}
                                        << QStringList();
        QTest::newRow("two directories") << QStringList{"build", ".", "."} << plain << 2 << QStringList{"at most one"}
                                         << QStringList();
        QTest::newRow("no command") << QStringList{} << plain << 2 << QStringList{"usage:"} << QStringList();
        // Rows the window would pass over without a word.
        QTest::newRow("rows gone") << QStringList{"build", "-q", "--depfile", "out.d"} << plain + "gone.txt\r\nINTRO.TXT\r\nold\\x.bmp\r\n" << 4
                                   << QStringList{"line 8: \"gone.txt\" names no file", "line 10: \"old\\x.bmp\" names no file"}
                                   << intro;
        QTest::newRow("no row") << QStringList{"build"} << "h\r\n0\r\n0\r\nK\r\nGame.exe\r\nM\r\n" << 4
                                << QStringList{"ticks no file that can be packed", "Packed 0/0 files"} << QStringList();
        QTest::newRow("only refused rows") << QStringList{"build"} << "h\r\n0\r\n0\r\nK\r\nintro.txt\r\nM\r\nintro.txt\r\n"
                                           << 4 << QStringList{"ticks no file that can be packed"} << QStringList();
        QTest::newRow("short profile") << QStringList{"build"} << "h\r\n0\r\n0\r\nK\r\n" << 4
                                       << QStringList{"ends before its sixth line"} << QStringList();
        QTest::newRow("exe missing wins") << QStringList{"build"}
                                          << "h\r\n0\r\n1\r\nK\r\nNone.exe\r\nM\r\nintro.txt\r\ngone\r\n" << 3
                                          << QStringList{"\"gone\" names no file", ".exe file not found"} << intro;
        QTest::newRow("failure wins") << QStringList{"build", "--depfile", "out.d"} << plain + "gone\r\n" << 1
                                      << QStringList{"\"gone\" names no file", "symbolic link"} << QStringList();
        QTest::newRow("dry run") << QStringList{"build", "-n", "-q"} << plain + "gone\r\n" << 4
                                 << QStringList{"\"gone\" names no file"} << QStringList();
    }
    void exitStatuses()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, setUp);
        QFETCH(int, status);
        QFETCH(QStringList, err);
        QFETCH(QStringList, packed);
        ScratchProject project;
        project.write("intro.txt", "hello");
        project.write("Data.Pak", "earlier");
        if (!setUp.isEmpty())
            project.write("PakProfile.QXT", setUp.toUtf8());
        const QByteArray tag = QTest::currentDataTag();
        const bool link = tag == "pack name is a link" || tag == "failure wins";
        if (link) {
            QFile::rename(project.path() + "/Data.Pak", project.path() + "/old.pak");
            QVERIFY(QFile::link("old.pak", project.path() + "/Data.Pak"));
        }
        const PakRun run = runPak(args, project.path());
        QCOMPARE(run.status, status);
        for (const QString &part : err)
            QVERIFY2(run.err.contains(part), qPrintable(run.err));
        const bool built = !packed.isEmpty() || tag == "no row" || tag == "only refused rows" || tag == "short profile";
        QCOMPARE(project.read("Data.Pak") == "earlier", !built); // through the link: old.pak
        if (built)
            QCOMPARE(readback::members(project.read("Data.Pak")), packed);
        QCOMPARE(QFileInfo(project.path() + "/Data.Pak").isSymLink(), link);
        if (args.contains("--depfile")) // written for a pack that was built, never for one that was not
            QCOMPARE(project.exists("out.d"), built);
    }

    // Qt decodes arguments as UTF-8: "proj\xff" would become the name of a
    // sibling "proj\uFFFD", and the build would land there.
    void argumentsThatAreNotUtf8AreRefused()
    {
        QProcess p;
        p.start("/bin/sh", {"-c", "exec \"$0\" build \"$(printf 'proj\\377')\"",
                            qEnvironmentVariable("WRENFOLD_BIN") + "/wrenfold-pak"});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardError().contains("not valid UTF-8"));
    }

    void dryRunListsAndWritesNothing()
    {
        ScratchProject project;
        seed(project, " 0 \r\n 0 \r\nK\r\nGame.exe\r\nM");
        const PakRun run = runPak({"build", "--dry-run", project.path()});
        QCOMPARE(run.status, 4); // gone.txt
        QCOMPARE(run.out, QString("empty.bin\ngfx\\title.bmp\nintro.txt\n"));
        QVERIFY(!project.exists("Data.Pak"));
    }

    // Every path leads to its file from where the tool ran, escaped as Make
    // and Ninja read them.
    void depfileNamesThePackAndEveryInput_data()
    {
        QTest::addColumn<QString>("projectArg"); // how the project is named; empty: run inside it
        QTest::addColumn<QString>("prefix");     // what the depfile puts before each name
        QTest::newRow("inside") << "" << "";
        QTest::newRow("from a build directory") << "../my game$ #1" << "../my\\ game$$\\ \\#1/";
        QTest::newRow("a full path") << "FULL" << "FULL/";
    }
    void depfileNamesThePackAndEveryInput()
    {
        QFETCH(QString, projectArg);
        QFETCH(QString, prefix);
        QTemporaryDir top;
        const QString game = top.filePath("my game$ #1");
        QDir().mkpath(game + "/gfx");
        QDir().mkpath(top.filePath("build"));
        const auto put = [&](const QString &rel, const QByteArray &bytes) {
            QFile f(game + "/" + rel);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        };
        put("gfx/a b$c#d.bmp", "x");
        put("intro.txt", "hello");
        put("skip.txt", "no");
        put("PakProfile.QXT", "h\r\n 0 \r\n 0 \r\nK\r\nGame.exe\r\nM\r\nintro.txt\r\ngfx\\A B$C#D.BMP\r\n");
        if (projectArg == "FULL")
            projectArg = prefix = game;
        prefix.replace("FULL/", game + "/");
        const QString dir = projectArg.isEmpty() ? game : top.filePath("build");
        const QStringList args = QStringList{"build", "-q", "--depfile", "out.d"} + (projectArg.isEmpty() ? QStringList() : QStringList{projectArg});
        const PakRun run = runPak(args, dir);
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, 0);
        QFile d(dir + "/out.d");
        QVERIFY(d.open(QIODevice::ReadOnly));
        if (projectArg == game)
            prefix = QString(game).replace(" ", "\\ ").replace("$", "$$").replace("#", "\\#") + "/";
        QCOMPARE(QString::fromUtf8(d.readAll()),
                 QString("%1Data.Pak: \\\n  %1PakProfile.QXT \\\n  %1gfx/a\\ b$$c\\#d.bmp \\\n  %1intro.txt\n").arg(prefix));
        QFile pack(game + "/Data.Pak");
        QVERIFY(pack.open(QIODevice::ReadOnly));
        QCOMPARE(readback::members(pack.readAll()), (QStringList{"gfx\\a b$c#d.bmp=x", "intro.txt=hello"}));

        // A dry run writes none.
        QFile::remove(dir + "/out.d");
        QCOMPARE(runPak(QStringList{"build", "-n", "--depfile", "out.d"} + args.mid(4), dir).status, 0);
        QVERIFY(!QFile::exists(dir + "/out.d"));
    }
};

QTEST_MAIN(TestCliBuild)
#include "tst_cli_build.moc"
