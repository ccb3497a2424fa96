// wrenfold-pak's help in every form, which never acts, and its checks on
// standard output and standard error: a full device fails the command, a
// reader that stopped early does not.
#include "support/PakProcess.h"
#include "support/ReadBack.h"
#include "support/ScratchProject.h"
#include <QDateTime>
#include <QDirIterator>
#include <QTest>
#include <unistd.h>

namespace {

const QStringList kCommands{"build", "list", "verify", "extract", "tick", "untick", "strip"};

// A project where a real build would change files: append on.
void seed(const ScratchProject &p)
{
    p.write("intro.txt", "hello");
    p.write("Game.exe", QByteArray(600, 'x'));
    p.write("Data.Pak", "earlier");
    p.write("PakProfile.QXT", "Korvane Pak System Profile\r\n 0 \r\n 1 \r\n5D5D5D5D\r\nGame.exe\r\n5B19C7E4\r\nintro.txt\r\n");
}

// Every file below `dir` with its bytes and time: what "nothing changed" means.
QStringList snapshot(const QString &dir)
{
    QStringList out;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        QFile f(info.filePath());
        const QByteArray bytes = info.isFile() && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(dir)");
        out << info.filePath() + " " + QString::number(info.lastModified().toMSecsSinceEpoch()) + " "
                       + QString::fromLatin1(bytes.toHex());
    }
    out.sort();
    return out;
}

QString pak()
{
    return qEnvironmentVariable("WRENFOLD_BIN") + "/wrenfold-pak";
}

// Runs wrenfold-pak with standard output or error (fd 1 or 2) going to
// `file`, or, with an empty `file`, to a pipe whose reader has gone.
PakRun runInto(const QStringList &args, const QString &dir, int fd, const QString &file)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    int pipeEnds[2] = {-1, -1};
    if (file.isEmpty()) {
        if (::pipe(pipeEnds) != 0)
            return {-1, {}, "no pipe"};
        ::close(pipeEnds[0]); // no reader from the start
        p.setChildProcessModifier([&] { ::dup2(pipeEnds[1], fd); });
    } else if (fd == 1) {
        p.setStandardOutputFile(file);
    } else {
        p.setStandardErrorFile(file);
    }
    p.start(pak(), args);
    const bool done = p.waitForFinished(60000);
    if (pipeEnds[1] >= 0)
        ::close(pipeEnds[1]);
    if (!done)
        return {-1, {}, "did not finish"};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class TestCliHelp : public QObject {
    Q_OBJECT
private slots:
    void helpNeverActs_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("usage"); // the usage line's start
        for (const QString &command : kCommands) {
            for (const char *form : {"-h", "--help", "-?", "--help-all"}) {
                QTest::addRow("%s %s", qPrintable(command), form) << QStringList{command, form}
                                                                  << "Usage: wrenfold-pak " + command + " ";
            }
            // Whatever else the line holds, even what would be bad usage.
            QTest::addRow("%s with more", qPrintable(command))
                    << QStringList{command, "--dry-run", "--no-such-option", ".", "x", "--help-all"}
                    << "Usage: wrenfold-pak " + command + " ";
            QTest::addRow("help %s", qPrintable(command)) << QStringList{"help", command}
                                                         << "Usage: wrenfold-pak " + command + " ";
        }
        QTest::newRow("help") << QStringList{"help"} << "usage: wrenfold-pak <command>";
        QTest::newRow("--help-all") << QStringList{"--help-all"} << "usage: wrenfold-pak <command>";
    }
    void helpNeverActs()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, usage);
        ScratchProject project;
        seed(project);
        const QStringList before = snapshot(project.path());
        const PakRun run = runPak(args + QStringList{}, project.path());
        QCOMPARE(run.err, QString());
        QVERIFY2(run.out.startsWith(usage), qPrintable(run.out));
        QVERIFY(!run.out.contains(pak())); // the command's name, not the program's path
        QCOMPARE(run.status, 0);
        QCOMPARE(snapshot(project.path()), before);
    }

    void helpOfNoCommand()
    {
        const PakRun run = runPak({"help", "bulid"});
        QCOMPARE(run.status, 2);
        QVERIFY(run.err.contains("'bulid' is not a command"));
        QCOMPARE(run.out, QString());
    }

    // What each command writes on the stream, and what it must still do.
    void outputErrorsCount_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("fd");
        QTest::addColumn<bool>("packBuilt");
        QTest::newRow("list") << QStringList{"list", "Data.Pak"} << 1 << false;
        QTest::newRow("verify") << QStringList{"verify", "Data.Pak"} << 1 << false;
        QTest::newRow("build --dry-run") << QStringList{"build", "--dry-run"} << 1 << false;
        QTest::newRow("--help") << QStringList{"--help"} << 1 << false;
        QTest::newRow("build --help") << QStringList{"build", "--help"} << 1 << false;
        QTest::newRow("tick --dry-run") << QStringList{"tick", "--dry-run", "*"} << 1 << false;
        QTest::newRow("build, progress") << QStringList{"build"} << 2 << true;
        QTest::newRow("list, error") << QStringList{"list", "none"} << 2 << false;
    }
    void outputErrorsCount()
    {
        QFETCH(QStringList, args);
        QFETCH(int, fd);
        QFETCH(bool, packBuilt);
        ScratchProject project;
        project.write("intro.txt", "hello");
        project.write("PakProfile.QXT", "h\r\n 0 \r\n 0 \r\nK\r\nGame.exe\r\nM\r\nintro.txt\r\n");
        QVERIFY(runPak({"build", "-q"}, project.path()).status == 0);
        const QByteArray pack = project.read("Data.Pak");
        const QStringList before = snapshot(project.path());
        // A build still goes through; the other commands change nothing.
        const auto check = [&] {
            if (!packBuilt)
                return snapshot(project.path()) == before;
            return readback::members(project.read("Data.Pak")) == QStringList{"intro.txt=hello"};
        };

        // A full device: exit 1, said on standard error unless that is the full one.
        if (packBuilt)
            project.write("Data.Pak", "earlier");
        const PakRun full = runInto(args, project.path(), fd, "/dev/full");
        QCOMPARE(full.status, 1);
        if (fd == 1)
            QVERIFY2(full.err.contains("cannot write standard output: No space left on device"), qPrintable(full.err));
        QVERIFY(check());

        // A reader that is gone: no complaint; the status is the command's own.
        if (packBuilt)
            project.write("Data.Pak", "earlier");
        const PakRun gone = runInto(args, project.path(), fd, QString());
        QCOMPARE(gone.status, args.contains("none") ? 1 : 0);
        QVERIFY2(!gone.err.contains("cannot write"), qPrintable(gone.err));
        QVERIFY(check());
    }
};

QTEST_MAIN(TestCliHelp)
#include "tst_cli_help.moc"
