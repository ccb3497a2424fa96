// The one build routine the window and the command line share: each of its
// outcomes with the message it carries, ticks asked as rows are reached,
// and a stop part way. Every pack it builds is read back.
#include "pack/BuildRun.h"
#include "pack/PackWriter.h"
#include "support/ReadBack.h"
#include "support/ScratchProject.h"
#include <QTest>

using namespace wf;

Q_DECLARE_METATYPE(wf::BuildOutcome)

class TestBuildRun : public QObject {
    Q_OBJECT
private slots:
    void outcomes_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("exe"); // appended to when not empty
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QStringList>("message");
        const QStringList two{"a.txt", "b.txt"};
        QTest::newRow("built") << two << "" << int(BuildOutcome::Built) << QStringList();
        QTest::newRow("appended") << two << "Game.exe" << int(BuildOutcome::Built) << QStringList();
        QTest::newRow("executable missing") << two << "None.exe" << int(BuildOutcome::BuiltExeMissing)
                                            << QStringList{".exe file not found. Quildex Created instead..."};
        QTest::newRow("appended to the pack itself") << two << "Data.Pak" << int(BuildOutcome::AppendFailed)
            << QStringList{"Cannot append \"Data.Pak\" to \"Data.Pak\": that is \"Data.Pak\", and the pack cannot be "
                           "appended to itself. Name the game's executable under Filename."};
        QTest::newRow("member missing") << QStringList{"a.txt", "gone.txt"} << "" << int(BuildOutcome::Failed)
            << QStringList{"Cannot read \"gone.txt\": No such file or directory", "Data.Pak was not changed."};
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
        BuildPlan plan;
        plan.rows = rows;
        plan.append = !exe.isEmpty();
        plan.exeName = exe;
        const BuildResult r = runBuild(plan, {});
        QCOMPARE(int(r.outcome), outcome);
        QCOMPARE(r.message, message);
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

    // A row's tick is asked once, after the turn before it; the append
    // options are read after the commit, so a turn may still change them.
    void ticksAndAppendReadLate()
    {
        ScratchProject project;
        for (const char *name : {"a.txt", "b.txt", "c.txt"})
            project.write(name, QByteArray(2 * PackWriter::kChunk + 1, name[0]));
        project.write("Game.exe", "MZ");
        BuildPlan plan;
        plan.rows = QStringList{"a.txt", "b.txt", "c.txt"};
        QVector<bool> ticked{false, false, true};
        QVector<int> asked, turnedAt;
        BuildHooks hooks;
        hooks.ticked = [&](int row) { return (asked << row, ticked[row]); };
        hooks.turn = [&](const BuildProgress &at) {
            turnedAt << at.row;
            ticked[1] = true; // ticked while the build runs: counts, as row 1 is not reached yet
            plan.append = true;
            plan.exeName = "Game.exe";
        };
        const BuildResult r = runBuild(plan, hooks);
        QCOMPARE(int(r.outcome), int(BuildOutcome::Built));
        QCOMPARE(asked, (QVector<int>{0, 1, 2, 0, 1, 2})); // the count check, then each row as reached
        // Before each row, between the chunks of each member packed and after
        // it; then any number while the commit waits for the disk.
        const QVector<int> packing{0, 1, 1, 1, 1, 2, 2, 2, 2};
        QCOMPARE(turnedAt.mid(0, packing.size()), packing);
        QCOMPARE(turnedAt.mid(packing.size()), QVector<int>(turnedAt.size() - packing.size(), 3));
        QCOMPARE(r.packed, 2);
        QCOMPARE(readback::members(project.read("Game.exe")), readback::files(".", {"b.txt", "c.txt"}));
    }

    void stopsWhereAsked_data()
    {
        QTest::addColumn<int>("stopAtTurn"); // the turn after which stop says yes
        QTest::newRow("before the first row") << 1;
        QTest::newRow("inside a member") << 3;
        QTest::newRow("right after the member") << 4;
    }
    void stopsWhereAsked()
    {
        QFETCH(int, stopAtTurn);
        ScratchProject project;
        project.write("a.bin", QByteArray(3 * PackWriter::kChunk, 'a'));
        project.write("Data.Pak", "earlier");
        BuildPlan plan;
        plan.rows = QStringList{"a.bin"};
        int turns = 0;
        BuildHooks hooks;
        hooks.turn = [&](const BuildProgress &) { ++turns; };
        hooks.stop = [&] { return turns >= stopAtTurn; };
        const BuildResult r = runBuild(plan, hooks);
        QCOMPARE(int(r.outcome), int(BuildOutcome::Stopped));
        QCOMPARE(r.message, QStringList());
        QCOMPARE(turns, stopAtTurn);
        QCOMPARE(project.read("Data.Pak"), QByteArray("earlier"));
        QCOMPARE(project.rootEntries(), (QStringList{"Data.Pak", "a.bin"}));
    }

    // A member is measured once, when it is opened, and read for exactly
    // that size: one that grows while it is packed is packed as it was
    // measured; one that shrinks fails the build.
    void memberChangesWhileItIsPacked_data()
    {
        QTest::addColumn<qint64>("changeTo"); // the member's size after its first chunk
        QTest::addColumn<bool>("built");
        const qint64 c = PackWriter::kChunk;
        QTest::newRow("grows") << 3 * c + 100 << true;
        QTest::newRow("one byte short") << 3 * c + 4 << false;
        QTest::newRow("emptied") << qint64(0) << false;
    }
    void memberChangesWhileItIsPacked()
    {
        QFETCH(qint64, changeTo);
        QFETCH(bool, built);
        ScratchProject project;
        const QByteArray original(3 * PackWriter::kChunk + 5, 'm'); // the last chunk a short one
        project.write("m.bin", original);
        project.write("Data.Pak", "earlier");
        BuildPlan plan;
        plan.rows = QStringList{"m.bin"};
        int turns = 0;
        BuildHooks hooks;
        hooks.turn = [&](const BuildProgress &) {
            if (++turns == 2) // after the first chunk
                project.write("m.bin", QByteArray(changeTo, 'g'));
        };
        const BuildResult r = runBuild(plan, hooks);
        QCOMPARE(r.outcome == BuildOutcome::Built, built);
        if (!built) {
            QCOMPARE(r.message, (QStringList{"Cannot read \"m.bin\": it became shorter while it was packed",
                                            "Data.Pak was not changed."}));
            QCOMPARE(project.read("Data.Pak"), QByteArray("earlier"));
            return;
        }
        QCOMPARE(r.bytes, qint64(original.size())); // nothing beyond the measured size
        // The first chunk as it was, the rest as rewritten, cut at the measured size.
        const QByteArray packed = original.left(PackWriter::kChunk) + QByteArray(2 * PackWriter::kChunk + 5, 'g');
        QCOMPARE(readback::members(project.read("Data.Pak")), QStringList{"m.bin=" + QString::fromLatin1(packed)});
    }
};

QTEST_GUILESS_MAIN(TestBuildRun)
#include "tst_buildrun.moc"
