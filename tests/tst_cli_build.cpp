// wrenfold-pak build, run as a process on scratch projects: the same pack as
// the window's first build, its exit statuses and help, failures that keep
// the earlier pack, and output that cannot be written.
#include "options/RandomSource.h"
#include "support/GuiTestKit.h"
#include "support/PakProcess.h"
#include <QTemporaryDir>
#include <unistd.h>

namespace {
// Runs wrenfold-pak with standard output or error (fd 1 or 2) going to
// /dev/full, or to a pipe whose reader has gone.
PakRun runInto(const QStringList &args, const QString &dir, int fd, bool full)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    int ends[2] = {-1, -1};
    if (full)
        fd == 1 ? p.setStandardOutputFile("/dev/full") : p.setStandardErrorFile("/dev/full");
    else if (::pipe(ends) == 0 && ::close(ends[0]) == 0) // no reader from the start
        p.setChildProcessModifier([&] { ::dup2(ends[1], fd); });
    p.start(qEnvironmentVariable("WRENFOLD_BIN") + "/wrenfold-pak", args);
    const bool done = p.waitForFinished(60000);
    if (ends[1] >= 0)
        ::close(ends[1]);
    return {done && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, {}, QString::fromUtf8(p.readAllStandardError())};
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
        QTest::newRow("plain") << QByteArray(" 0 \r\n 0 \r\n5D5D5D5D\r\nGame.exe\r\n5B19C7E4") << "Data.Pak" << QStringList();
        QTest::newRow("masked, appended") << QByteArray(" 1 \r\n 1 \r\n0BADF00D\r\nGame.exe\r\nFEEDC0DE") << "Game.exe"
                                          << QStringList{"0BADF00D", "FEEDC0DE"};
    }
    void sameBytesAsTheWindowsFirstBuild()
    {
        QFETCH(QByteArray, options);
        QFETCH(QString, file);
        QFETCH(QStringList, read);
        const auto seed = [&](const ScratchProject &p) {
            for (const auto &[rel, bytes] : {std::pair<QString, QByteArray>{"gfx/title.bmp", QByteArray(3000, 't')}, {"intro.txt", "hello"},
                                              {"empty.bin", ""}, {"skip.txt", "not ticked"}, {"Game.exe", QByteArray(600, 'x')}})
                p.write(rel, bytes);
            p.write("PakProfile.QXT", "Korvane Pak System Profile\r\n" + options
                                          + "\r\nINTRO.TXT\r\ngfx\\title.bmp\r\nempty.bin\r\ngone.txt\r\nGame.exe\r\nData.Pak\r\n");
        };
        QByteArray byWindow;
        {
            LoadedWindow w;
            seed(w.project);
            wf::RandomSource::shared() = wf::RandomSource(); // as at program start
            QTest::mouseClick(w.load().Command1, Qt::LeftButton);
            QCOMPARE(w.recorder.messages, QStringList());
            byWindow = w.project.read(file);
        }
        ScratchProject project;
        seed(project);
        // --quiet still names the rows that name no file (Data.Pak is not
        // there yet), and the pack is still the window's.
        const PakRun run = runPak({"build", "--quiet"}, project.path());
        QCOMPARE(run.err, QString("wrenfold-pak: PakProfile.QXT line 10: \"gone.txt\" names no file in the project; "
                                  "it is not packed\nwrenfold-pak: PakProfile.QXT line 12: \"Data.Pak\" names no "
                                  "file in the project; it is not packed\n"));
        QCOMPARE(run.status, 4);
        QCOMPARE(project.read(file), byWindow);
        QCOMPARE(readback::members(byWindow, read.isEmpty() ? nullptr : qPrintable(read[0]), read.isEmpty() ? nullptr : qPrintable(read[1])),
                 (QStringList{"empty.bin=", "gfx\\title.bmp=" + QString(3000, 't'), "intro.txt=hello"}));
    }

    void exitStatuses_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("err"); // parts of standard error, or of standard output
        QTest::addColumn<QStringList>("packed"); // members of the new pack; none: the earlier pack and the profile stay
        const QString plain = "h\r\n0\r\n0\r\nK\r\nGame.exe\r\nM\r\nintro.txt\r\n";
        const QStringList intro{"intro.txt=hello"}, none;
        QTest::newRow("built") << QStringList{"build"} << plain << 0 << QStringList{"Packed 1/1 files"} << intro;
        QTest::newRow("no profile") << QStringList{"build"} << "" << 1 << QStringList{"no PakProfile.QXT"} << none;
        QTest::newRow("exe missing") << QStringList{"build", "-q"} << "h\r\n0\r\n1\r\nK\r\nNone.exe\r\nM\r\nintro.txt\r\n"
                                     << 3 << QStringList{".exe file not found"} << intro;
        QTest::newRow("append greyed") << QStringList{"build"} << "h\r\n0\r\n2\r\nK\r\nNone.exe\r\nM\r\nintro.txt\r\n" << 0
                                       << QStringList{"Packed 1/1 files"} << intro; // only a tick appends
        QTest::newRow("unknown option") << QStringList{"build", "--fast"} << plain << 2 << QStringList{"Unknown option"} << none;
        QTest::newRow("help of no command") << QStringList{"help", "bulid"} << plain << 2
                                            << QStringList{"'bulid' is not a command"} << none;
        // Help in every form never acts, whatever else the line holds.
        const QStringList commands{"build", "list", "verify", "extract", "tick", "untick", "strip"};
        const QStringList forms{"-h", "--help", "-?", "--help-all"};
        for (int i = 0; i < commands.size(); ++i) {
            const QStringList usage{"Usage: wrenfold-pak " + commands[i] + " "};
            QTest::addRow("%s %s", qPrintable(commands[i]), qPrintable(forms[i % 4])) << QStringList{commands[i], forms[i % 4], "*"}
                                                                                      << plain << 0 << usage << none;
            QTest::addRow("help %s", qPrintable(commands[i])) << QStringList{"help", commands[i]} << plain << 0 << usage << none;
        }
        QTest::newRow("help with bad usage") << QStringList{"build", "--no-such-option", ".", "x", "--help-all"} << plain << 0
                                             << QStringList{"Usage: wrenfold-pak build "} << none;
        QTest::newRow("help") << QStringList{"--help"} << plain << 0 << QStringList{"usage: wrenfold-pak <command>"} << none;
        // Rows the window would pass over without a word.
        QTest::newRow("rows gone") << QStringList{"build", "-q", "--depfile", "out.d"}
                                   << plain + "gone.txt\r\nINTRO.TXT\r\nold\\x.bmp\r\n" << 4
                                   << QStringList{"line 8: \"gone.txt\" names no file", "line 10: \"old\\x.bmp\" names no file"}
                                   << intro;
        QTest::newRow("no row") << QStringList{"build"} << "h\r\n0\r\n0\r\nK\r\nGame.exe\r\nM\r\n" << 4
                                << QStringList{"ticks no file that can be packed", "Packed 0/0 files"} << none;
        QTest::newRow("short profile") << QStringList{"build"} << "h\r\n0\r\n0\r\nK\r\n" << 4
                                       << QStringList{"ends before its sixth line"} << none;
        QTest::newRow("exe missing wins") << QStringList{"build"} << "h\r\n0\r\n1\r\nK\r\nNone.exe\r\nM\r\nintro.txt\r\ngone\r\n"
                                          << 3 << QStringList{"\"gone\" names no file", ".exe file not found"} << intro;
        // Data.Pak a link: refused, and the failure wins over the gone row.
        QTest::newRow("failure wins") << QStringList{"build", "--depfile", "out.d"} << plain + "gone\r\n" << 1
                                      << QStringList{"\"gone\" names no file", "\"Data.Pak\": it is a symbolic link"} << none;
        // A link out of the project is left out; one inside it is packed.
        QTest::newRow("links") << QStringList{"build"} << plain + "secret.txt\r\ninside.txt\r\n" << 0
                               << QStringList{"Packed 2/2 files"} << QStringList{"inside.txt=hello", "intro.txt=hello"};
        QTest::newRow("dry run") << QStringList{"build", "-n", "-q", "--depfile", "out.d"} << plain + "gone\r\n" << 4
                                 << QStringList{"\"gone\" names no file"} << none;
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
        const bool link = tag == "failure wins";
        QTemporaryDir outside;
        if (tag == "links") {
            QFile key(outside.filePath("id_rsa"));
            QVERIFY(key.open(QIODevice::WriteOnly) && key.write("secret") == 6);
            QVERIFY(QFile::link(key.fileName(), project.path() + "/secret.txt"));
            QVERIFY(QFile::link("intro.txt", project.path() + "/inside.txt"));
        }
        if (link) {
            QFile::rename(project.path() + "/Data.Pak", project.path() + "/old.pak");
            QVERIFY(QFile::link("old.pak", project.path() + "/Data.Pak"));
        }
        const PakRun run = runPak(args, project.path());
        QCOMPARE(run.status, status);
        for (const QString &part : err)
            QVERIFY2((run.err + run.out).contains(part), qPrintable(run.err + run.out));
        QVERIFY(!run.out.contains(qEnvironmentVariable("WRENFOLD_BIN"))); // the command's name, not the program's path
        if (tag == "dry run")
            QCOMPARE(run.out, QString("intro.txt\n"));
        const bool built = !packed.isEmpty() || tag == "no row" || tag == "short profile";
        QCOMPARE(project.read("Data.Pak") == "earlier", !built); // through the link: old.pak
        QCOMPARE(project.read("PakProfile.QXT"), setUp.toUtf8());
        QCOMPARE(project.rootEntries().size(),
                 2 + !setUp.isEmpty() + link + project.exists("out.d") + 2 * (tag == "links")); // nothing else
        if (built)
            QCOMPARE(readback::members(project.read("Data.Pak")), packed);
        QCOMPARE(QFileInfo(project.path() + "/Data.Pak").isSymLink(), link);
        if (args.contains("--depfile")) // written for a pack that was built, never for one that was not
            QCOMPARE(project.exists("out.d"), built);
    }

    // A full device fails the command (said on standard error unless that is
    // the full one); a reader that is gone does not, and is not complained of.
    void outputErrorsCount_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("fd");
        QTest::newRow("list") << QStringList{"list", "Data.Pak"} << 1;
        QTest::newRow("build, progress") << QStringList{"build"} << 2;
    }
    void outputErrorsCount()
    {
        QFETCH(QStringList, args);
        QFETCH(int, fd);
        ScratchProject project;
        project.write("intro.txt", "hello");
        project.write("PakProfile.QXT", "h\r\n 0 \r\n 0 \r\nK\r\nGame.exe\r\nM\r\nintro.txt\r\n");
        QVERIFY(runPak({"build", "-q"}, project.path()).status == 0);
        const QByteArray pack = project.read("Data.Pak"), profile = project.read("PakProfile.QXT");
        QCOMPARE(readback::members(pack), QStringList{"intro.txt=hello"});
        for (const bool full : {true, false}) {
            if (args == QStringList{"build"})
                project.write("Data.Pak", "earlier");
            const PakRun run = runInto(args, project.path(), fd, full);
            QCOMPARE(run.status, full ? 1 : 0);
            QCOMPARE(run.err.contains(full ? "cannot write standard output: No space left on device" : "cannot write"), full && fd == 1);
            // A build still goes through, to the same pack; the other commands change nothing.
            QCOMPARE(project.read("Data.Pak") + project.read("PakProfile.QXT"), pack + profile);
        }
    }

    // Qt decodes arguments as UTF-8: "proj\xff" would become the name of a
    // sibling "proj\uFFFD", and the build would land there.
    void argumentsThatAreNotUtf8AreRefused()
    {
        QProcess p;
        p.start("/bin/sh", {"-c", "exec \"$0\" build \"$(printf 'proj\\377')\"", qEnvironmentVariable("WRENFOLD_BIN") + "/wrenfold-pak"});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardError().contains("not valid UTF-8"));
    }

    // Every path leads to its file from where the tool ran (a build
    // directory beside the project), escaped as Make and Ninja read them.
    void depfileNamesThePackAndEveryInput()
    {
        QTemporaryDir top;
        const QString game = top.filePath("my game$ #1");
        QVERIFY(QDir().mkpath(game + "/gfx") && QDir().mkpath(top.filePath("build")));
        for (const auto &[rel, bytes] : {std::pair<QString, QByteArray>{"gfx/a b$c#d.bmp", "x"}, {"intro.txt", "hello"}, {"skip.txt", "no"},
                                          {"PakProfile.QXT", "h\r\n 0 \r\n 0 \r\nK\r\nGame.exe\r\nM\r\n"
                                                             "intro.txt\r\ngfx\\A B$C#D.BMP\r\n"}})
            QVERIFY(packtest::writeFile(game + "/" + rel, bytes));
        const PakRun run = runPak({"build", "-q", "--depfile", "out.d", "../my game$ #1"}, top.filePath("build"));
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, 0);
        QCOMPARE(QString::fromUtf8(packtest::readFile(top.filePath("build/out.d"))),
                 QString("%1Data.Pak: \\\n  %1PakProfile.QXT \\\n  %1gfx/a\\ b$$c\\#d.bmp \\\n  %1intro.txt\n").arg("../my\\ game$$\\ \\#1/"));
        QCOMPARE(readback::members(packtest::readFile(game + "/Data.Pak")), (QStringList{"gfx\\a b$c#d.bmp=x", "intro.txt=hello"}));
    }
};

QTEST_MAIN(TestCliBuild)
#include "tst_cli_build.moc"
