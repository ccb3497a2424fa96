// wrenfold-pak strip and verify on executables carrying packs stacked by real builds: every pack
// removed, the executable restored byte for byte, nothing changed when a link of the chain does not read.
#include "support/PackTestUtil.h"
#include "support/PakProcess.h"
#include "support/ScratchProject.h"
#include <QTest>

namespace {
const QByteArray kExe = QByteArray("MZ\x90\0QUILD", 9) + QByteArray(700, '\x7f') + "end";
const QStringList kKey{"--key", "0BADF00D", "--mask", "FEEDC0DE"};
const auto kMode = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup;

// Three builds with append on, as a CI job that never stripped would make;
// the executable's size before each append, then after the last.
QList<qint64> stack(const ScratchProject &p, bool masked)
{
    p.write("Game.exe", kExe);
    QFile::setPermissions(p.path() + "/Game.exe", kMode);
    p.write("PakProfile.QXT", "h\r\n " + QByteArray(masked ? "1" : "0") + " \r\n 1 \r\n0BADF00D\r\nGame.exe\r\nFEEDC0DE\r\nintro.txt\r\n");
    QList<qint64> sizes;
    for (int i = 0; i < 3; ++i) {
        sizes << p.read("Game.exe").size();
        p.write("intro.txt", "hello " + QByteArray::number(i)); // each pack its own
        if (runPak({"build", "-q"}, p.path()).status != 0)
            qFatal("build failed");
    }
    if (readback::members(p.read("Game.exe"), masked ? "0BADF00D" : nullptr, masked ? "FEEDC0DE" : nullptr) != QStringList{"intro.txt=hello 2"})
        qFatal("the newest pack does not read back");
    return sizes << p.read("Game.exe").size();
}
} // namespace

class TestCliStrip : public QObject {
    Q_OBJECT
private slots:
    void stripRestoresTheExecutable_data()
    {
        QTest::addColumn<bool>("masked");
        QTest::addColumn<bool>("keyFromProfile"); // run in the project, no --key
        QTest::newRow("plain") << false << true;
        QTest::newRow("masked, the profile's key") << true << true;
        QTest::newRow("masked, --key and --mask") << true << false;
    }
    void stripRestoresTheExecutable()
    {
        QFETCH(bool, masked);
        QFETCH(bool, keyFromProfile);
        ScratchProject p;
        const QList<qint64> sizes = stack(p, masked);
        const QByteArray stacked = p.read("Game.exe");
        const QStringList key = masked ? kKey : QStringList(), given = keyFromProfile ? QStringList() : key;
        const QString exe = p.path() + "/Game.exe", where = keyFromProfile ? p.path() : QDir::tempPath();

        const PakRun verify = runPak(QStringList{"verify", exe} + key);
        QCOMPARE(verify.status, 0);
        QVERIFY2(verify.out.contains(QString("warning: 2 earlier packs are stacked below this one: %1 bytes the game "
                                             "can never read").arg(sizes[2] - sizes[0])), qPrintable(verify.out));
        const PakRun dry = runPak(QStringList{"strip", "-n", exe} + given, where);
        QCOMPARE(dry.out, QString("would remove 3 packs (%1 bytes), leaving the first %2 bytes of \"%3\"\n")
                                  .arg(sizes[3] - sizes[0]).arg(kExe.size()).arg(exe));
        QCOMPARE(dry.status, 0);
        QCOMPARE(p.read("Game.exe"), stacked);

        const PakRun strip = runPak(QStringList{"strip", exe} + given, where);
        QCOMPARE(strip.err, QString());
        QCOMPARE(strip.status, 0);
        QCOMPARE(p.read("Game.exe"), kExe);
        QCOMPARE(QFileInfo(exe).permissions() & 0x7077, kMode);
        QCOMPARE(p.rootEntries().size(), 4); // no temporary file left
        QVERIFY(runPak({"strip", exe}, p.path()).out.contains("carries no appended pack")); // stripped twice: nothing to do
    }

    void stripRefuses_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QStringList>("args"); // after "strip Game.exe"
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        QTest::newRow("plain key for masked packs") << "" << QStringList{"--key", "0"} << 1 << "built with another key?";
        QTest::newRow("middle pack damaged") << "middle" << kKey << 1 << "leads to no pack that reads";
        QTest::newRow("signed after the append") << "signature" << kKey << 1 << "9 bytes follow the trailer";
        QTest::newRow("a link") << "link" << kKey << 1 << "is a symbolic link";
        QTest::newRow("two files") << "" << QStringList{"Game.exe"} << 2 << "one executable is needed";
    }
    void stripRefuses()
    {
        QFETCH(QString, damage);
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, says);
        ScratchProject p;
        const QList<qint64> sizes = stack(p, true);
        QByteArray exe = p.read("Game.exe");
        if (damage == "middle") // the second pack's header word
            exe.replace(sizes[1], 4, "\xff\xff\xff\x7f");
        else if (damage == "signature")
            exe += "SIGNATURE";
        p.write("Game.exe", exe);
        if (damage == "link")
            QVERIFY(QFile::rename(p.path() + "/Game.exe", p.path() + "/real.exe") && QFile::link("real.exe", p.path() + "/Game.exe"));
        const PakRun run = runPak(QStringList{"strip", "Game.exe"} + args, p.path());
        QVERIFY2(run.err.contains(says), qPrintable(run.err));
        QCOMPARE(run.status, status);
        QCOMPARE(p.read("Game.exe"), exe);
        QCOMPARE(QFileInfo(p.path() + "/Game.exe").isSymLink(), damage == "link");
    }
};

QTEST_MAIN(TestCliStrip)
#include "tst_cli_strip.moc"
