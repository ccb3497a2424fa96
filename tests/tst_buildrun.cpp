// The build routine the window and the command line share: each outcome and
// its message, ticks read as rows are reached, stops and changes part way.
#include "pack/BuildRun.h"
#include "pack/PackWriter.h"
#include "support/PackTestUtil.h"
#include "support/ScratchProject.h"
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace wf;

class TestBuildRun : public QObject {
    Q_OBJECT
private slots:
    void outcomes_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("exe"); // appended to when not empty
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QStringList>("message"); // how each paragraph starts
        const QStringList two{"a.txt", "b.txt"};
        const QString kept = "Data.Pak was not changed.";
        const int built = int(BuildOutcome::Built);
        QTest::newRow("built") << two << "" << built << QStringList();
        QTest::newRow("appended") << two << "Game.exe" << built << QStringList();
        QTest::newRow("executable missing") << two << "None.exe" << int(BuildOutcome::BuiltExeMissing)
                                            << QStringList{".exe file not found. Quildex Created instead..."};
        // Never to the pack itself or the profile, or through a link that
        // leads out of the project (to a sibling whose name starts with the
        // project's, too): a project from someone else can carry Mygame.exe -> ~/.bashrc.
        const auto refused = [&](const char *tag, const QString &exe, const QString &why) {
            QTest::newRow(tag) << two << exe << int(BuildOutcome::AppendFailed)
                               << QStringList{"Cannot append \"Data.Pak\" to \"" + exe + "\": " + why};
        };
        refused("the pack itself", "Data.Pak", "that is \"Data.Pak\", and the pack cannot be appended to itself. "
                                               "Name the game's executable under Filename.");
        refused("./Data.Pak", "./Data.Pak", "that is \"Data.Pak\"");
        refused("a link to the pack", "sub\\pack-link", "that is \"Data.Pak\"");
        refused("the profile", "PakProfile.QXT", "that is \"PakProfile.QXT\", and the pack cannot be appended to the profile");
        refused("a link out", "sub\\out-link", "it leads outside the project directory, to ");
        refused("a link to proj-evil", "sub\\evil-link", "it leads outside the project directory");
        refused("a directory", "sub", "it is a directory, not a regular file");
        QTest::newRow("member missing") << QStringList{"a.txt", "gone.txt"} << "" << int(BuildOutcome::Failed)
                                        << QStringList{"Cannot read \"gone.txt\": No such file or directory", kept};
        QTest::newRow("member is a pipe") << QStringList{"a.txt", "pipe"} << "" << int(BuildOutcome::Failed)
                                          << QStringList{"Cannot read \"pipe\": it is not a regular file", kept};
        // Counted before anything is read: none of these files is there.
        QStringList tooMany;
        for (int i = 0; i <= kMaxPackFiles; ++i)
            tooMany << QString::number(i);
        QTest::newRow("10,001 ticked") << tooMany << "" << int(BuildOutcome::Failed)
            << QStringList{"10,001 files are ticked, but a pack holds at most 10,000.", kept};
    }
    void outcomes()
    {
        QFETCH(QStringList, rows);
        QFETCH(QString, exe);
        QFETCH(int, outcome);
        QFETCH(QStringList, message);
        ScratchProject project;
        project.write("a.txt", "alpha");
        project.write("b.txt", "bravo");
        project.write("Game.exe", "MZ");
        project.write("Data.Pak", "earlier");
        project.write("PakProfile.QXT", "profile");
        QTemporaryDir outside;
        const QString victim = outside.filePath("victim"), evil = project.path() + "-evil";
        QVERIFY(packtest::writeFile(victim, "user's file") && QDir().mkdir(evil) && packtest::writeFile(evil + "/game.exe", "user's file"));
        QVERIFY(QDir().mkdir("sub") && QFile::link("../Data.Pak", "sub/pack-link") && QFile::link(victim, "sub/out-link")
                && QFile::link(evil + "/game.exe", "sub/evil-link") && ::mkfifo("pipe", 0600) == 0);
        BuildPlan plan;
        plan.rows = rows;
        plan.append = !exe.isEmpty();
        plan.exeName = exe;
        const BuildResult r = runBuild(plan, {});
        QCOMPARE(int(r.outcome), outcome);
        QCOMPARE(r.message.size(), message.size());
        for (int i = 0; i < message.size(); ++i)
            QVERIFY2(r.message[i].startsWith(message[i]), qPrintable(r.message[i]));
        QCOMPARE(packtest::readFile(victim) + packtest::readFile(evil + "/game.exe") + project.read("PakProfile.QXT"),
                 QByteArray("user's fileuser's fileprofile"));
        QDir(evil).removeRecursively();
        const bool built = r.outcome != BuildOutcome::Failed;
        QCOMPARE(project.read("Data.Pak") == "earlier", !built);
        QCOMPARE(project.rootEntries().filter("Data.Pak").size(), 1); // no temporary left
        if (!built)
            return;
        QCOMPARE(r.packed, 2);
        QCOMPARE(r.bytes, qint64(10));
        QCOMPARE(readback::members(project.read("Data.Pak")), readback::files(".", rows));
        if (exe == "Game.exe")
            QCOMPARE(readback::members(project.read("Game.exe")), readback::files(".", rows));
        else
            QCOMPARE(project.read("Game.exe"), QByteArray("MZ"));
    }

    // A row's tick is asked when it is reached; the append options are read
    // after the commit, so a turn may still change them.
    void ticksAndAppendReadLate()
    {
        ScratchProject project;
        for (const char *name : {"a.txt", "b.txt", "c.txt"})
            project.write(name, QByteArray(2 * PackWriter::kChunk + 1, name[0]));
        project.write("Game.exe", "MZ");
        BuildPlan plan;
        plan.rows = QStringList{"a.txt", "b.txt", "c.txt"};
        QVector<bool> ticked{false, false, true};
        BuildHooks hooks;
        hooks.ticked = [&](int row) { return ticked[row]; };
        hooks.turn = [&](const BuildProgress &) {
            ticked[1] = true; // ticked while the build runs: counts, as row 1 is not reached yet
            plan.append = true;
            plan.exeName = "Game.exe";
        };
        const BuildResult r = runBuild(plan, hooks);
        QCOMPARE(int(r.outcome), int(BuildOutcome::Built));
        QCOMPARE(r.packed, 2);
        QCOMPARE(readback::members(project.read("Game.exe")), readback::files(".", {"b.txt", "c.txt"}));
    }

    // A stop (the window closed) or a member that shrinks while it is packed
    // leaves the earlier pack and no temporary file; one that grows is
    // packed as it was measured when opened.
    void changesPartWay_data()
    {
        QTest::addColumn<int>("stopAtTurn"); // the turn after which stop says yes; 0: never
        QTest::addColumn<qint64>("changeTo"); // the member's size after its first chunk; -1: unchanged
        QTest::addColumn<int>("outcome");
        const qint64 c = PackWriter::kChunk;
        QTest::newRow("stop inside a member") << 3 << qint64(-1) << int(BuildOutcome::Stopped);
        QTest::newRow("stop right after the member") << 5 << qint64(-1) << int(BuildOutcome::Stopped);
        QTest::newRow("grows") << 0 << 3 * c + 100 << int(BuildOutcome::Built);
        QTest::newRow("one byte short") << 0 << 3 * c + 4 << int(BuildOutcome::Failed);
        QTest::newRow("emptied") << 0 << qint64(0) << int(BuildOutcome::Failed);
    }
    void changesPartWay()
    {
        QFETCH(int, stopAtTurn);
        QFETCH(qint64, changeTo);
        QFETCH(int, outcome);
        ScratchProject project;
        const QByteArray original(3 * PackWriter::kChunk + 5, 'm'); // the last chunk a short one
        project.write("m.bin", original);
        project.write("Data.Pak", "earlier");
        BuildPlan plan;
        plan.rows = QStringList{"m.bin"};
        int turns = 0;
        BuildHooks hooks;
        hooks.turn = [&](const BuildProgress &) {
            if (++turns == 2 && changeTo >= 0) // after the first chunk
                project.write("m.bin", QByteArray(changeTo, 'g'));
        };
        hooks.stop = [&] { return stopAtTurn && turns >= stopAtTurn; };
        const BuildResult r = runBuild(plan, hooks);
        QCOMPARE(int(r.outcome), outcome);
        if (stopAtTurn)
            QCOMPARE(turns, stopAtTurn);
        if (r.outcome == BuildOutcome::Built) {
            QCOMPARE(r.bytes, qint64(original.size())); // nothing beyond the measured size
            // The first chunk as it was, the rest as rewritten, cut at the measured size.
            const QByteArray packed = original.left(PackWriter::kChunk) + QByteArray(2 * PackWriter::kChunk + 5, 'g');
            QCOMPARE(readback::members(project.read("Data.Pak")), QStringList{"m.bin=" + QString::fromLatin1(packed)});
            return;
        }
        QCOMPARE(r.message, (stopAtTurn ? QStringList() : QStringList{"Cannot read \"m.bin\": it became shorter while it "
                                                                      "was packed", "Data.Pak was not changed."}));
        QCOMPARE(project.read("Data.Pak"), QByteArray("earlier"));
        QCOMPARE(project.rootEntries(), (QStringList{"Data.Pak", "m.bin"}));
    }
};

QTEST_GUILESS_MAIN(TestBuildRun)
#include "tst_buildrun.moc"
