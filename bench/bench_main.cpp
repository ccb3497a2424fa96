// Wrenfold's speed figures, each beside its baseline: `make bench`.
// Runs under Xvfb with the xcb platform; the window's runs are children
// started with --window (see BenchWindow.h).
//   wrenfold_bench [-v] [--runs N] [--only build|big|many]   (runs: 15 for the
//                                    builds, 5 for the rest, by default)
//                                    the figures, data in $TMPDIR, removed after
//   wrenfold_bench --generate DIR    only the data, kept, for profiling by hand
#include "BenchData.h"
#include "BenchFigures.h"
#include "BenchRun.h"
#include "BenchWindow.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <cstring>

namespace {

QString cpuModel()
{
    QFile f(QStringLiteral("/proc/cpuinfo"));
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray &line : f.readAll().split('\n'))
            if (line.startsWith("model name"))
                return QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
    return QStringLiteral("unknown CPU");
}

QString memTotal()
{
    QFile f(QStringLiteral("/proc/meminfo"));
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray &line : f.readAll().split('\n'))
            if (line.startsWith("MemTotal:"))
                return QString::number(line.mid(9).trimmed().split(' ').value(0).toDouble() / 1048576.0, 'f', 1) +
                       QStringLiteral(" GiB RAM");
    return QStringLiteral("unknown RAM");
}

// Other work on the machine skews every figure; the load shows how much.
QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll().split(' ').value(0)) : QStringLiteral("?");
}

// Leaves the three projects in DIR for profiling one window run by hand:
// wrenfold_bench --window build DIR/build (each with its profile; many/ ticks
// every tenth row, as the start-up figure does).
int generateOnly(const QString &dir)
{
    bench::DataSet set;
    QString error;
    QStringList tenth;
    const bool ok = bench::makeBuildSet(dir + QStringLiteral("/build"), set, error) &&
                    bench::writeProfile(set.dir, set.rows(), error) &&
                    bench::makeBigMemberSet(dir + QStringLiteral("/big"), set, error) &&
                    bench::writeProfile(set.dir, set.rows(), error) &&
                    bench::makeManyFilesSet(dir + QStringLiteral("/many"), set, error);
    for (int i = 0; ok && i < set.members.size(); i += 10)
        tenth << set.members[i].row;
    if (!ok || !bench::writeProfile(set.dir, tenth, error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], bench::kWindowFlag) == 0)
        return bench::runWindow(argc, argv);

    QCoreApplication app(argc, argv);
    bench::installStopHandler();
    if (argc > 2 && std::strcmp(argv[1], "--generate") == 0)
        return generateOnly(QString::fromLocal8Bit(argv[2]));
    bench::Context ctx;
    const QStringList args = QCoreApplication::arguments();
    ctx.verbose = args.contains(QStringLiteral("-v"));
    const int runsAt = int(args.indexOf(QStringLiteral("--runs")));
    if (runsAt > 0 && runsAt + 1 < args.size())
        ctx.runs = ctx.buildRuns = qMax(1, args[runsAt + 1].toInt());
    ctx.self = QCoreApplication::applicationFilePath();
    // The command-line builder, once built, sits in the same build directory.
    for (const char *at : {"/wrenfold-pak", "/src/wrenfold-pak", "/src/cli/wrenfold-pak"}) {
        const QFileInfo pak(QCoreApplication::applicationDirPath() + QLatin1String(at));
        if (ctx.pakTool.isEmpty() && pak.isFile() && pak.isExecutable())
            ctx.pakTool = pak.absoluteFilePath();
    }
    const QFileInfo copier(QCoreApplication::applicationDirPath() + QStringLiteral("/wrenfold_bench_copy"));
    if (copier.isFile() && copier.isExecutable())
        ctx.copyTool = copier.absoluteFilePath();

    QTemporaryDir tmp(QDir::tempPath() + QStringLiteral("/wrenfold-bench-XXXXXX"));
    if (!tmp.isValid()) {
        std::fprintf(stderr, "cannot create a temporary directory: %s\n", qPrintable(tmp.errorString()));
        return 1;
    }
    ctx.tmp = tmp.path();
    // The file system decides what syncs and deletes cost, so it is named.
    const QStringList fsArgs = {QStringLiteral("-n"), QStringLiteral("-o"), QStringLiteral("FSTYPE,OPTIONS"),
                                QStringLiteral("-T"), ctx.tmp};
    const bench::Timed fs = bench::runProcess(QStringLiteral("findmnt"), fsArgs, ctx.tmp);

    std::printf("Wrenfold benchmark: best of %d runs per side (%d for the builds), sides alternating, all warm\n",
                ctx.runs, ctx.buildRuns);
    std::printf("machine: %s, %d cores, %s, %s %s, Qt %s, load %s\n", qPrintable(cpuModel()),
                QThread::idealThreadCount(), qPrintable(memTotal()), qPrintable(QSysInfo::kernelType()),
                qPrintable(QSysInfo::kernelVersion()), qVersion(), qPrintable(loadAverage()));
    std::printf("data: %s (%s); window: QT_QPA_PLATFORM=%s, DISPLAY=%s\n", qPrintable(ctx.tmp),
                fs.out.simplified().constData(), qgetenv("QT_QPA_PLATFORM").constData(),
                qgetenv("DISPLAY").constData());
    std::printf("builds: every side writes the project's Data.Pak, removed and synced before each run, in an order\n"
                "        shuffled each round; ratio = the build's time / the baseline's,\n"
                "        judged against the limit: the faster of a direct-I/O copy of the same files ending with\n"
                "        fdatasync and cat + fdatasync;\n"
                "        others: time / baseline's time\n");
    std::fflush(stdout);

    // --only build|big|many runs one group of figures (1, 2, 7, 8 | 3, 4 | 5, 6).
    const int onlyAt = int(args.indexOf(QStringLiteral("--only")));
    const QString only = onlyAt > 0 ? args.value(onlyAt + 1) : QString();
    const auto wanted = [&](const char *group) { return only.isEmpty() || only == QLatin1String(group); };
    if (wanted("build"))
        bench::buildFigures(ctx);
    if (wanted("big") && !bench::stopRequested())
        bench::bigMemberFigures(ctx);
    if (wanted("many") && !bench::stopRequested())
        bench::manyFilesFigures(ctx);

    if (bench::stopRequested()) {
        std::printf("stopped; temporary data removed\n");
        return 130;
    }
    std::printf("%d met, %d missed, %d skipped; load %s%s\n", ctx.met, ctx.missed, ctx.skipped, qPrintable(loadAverage()),
                ctx.broken ? "; some figures could not be measured (ERROR above)" : "");
    return ctx.broken ? 1 : 0;
}
