#include "BenchFigures.h"
#include "BenchData.h"
#include "BenchRun.h"
#include <QDir>
#include <QFile>
#include <functional>
#include <numeric>
#include <random>
#include <vector>
#include <QLocale>
#include <cstdio>

namespace bench {

namespace {

const QLocale kEn(QLocale::English);

QString secs(double ms) { return QString::number(ms / 1000.0, 'f', 3) + QLatin1String(" s"); }
QString mbps(qint64 bytes, double ms)
{
    return QString::number(bytes / 1e6 / (ms / 1000.0), 'f', 0) + QLatin1String(" MB/s");
}
QString times(double r) { return QString::number(r, 'f', 2) + QLatin1Char('x'); }

void out(const QString &text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

void figure(Context &ctx, const char *id, const QString &what, const QString &result, const QString &target, bool met)
{
    (met ? ctx.met : ctx.missed)++;
    const QLatin1String verdict(met ? "met" : "MISSED");
    out(QStringLiteral("%1 %2 %3 | target %4 | %5")
            .arg(QLatin1String(id), what.leftJustified(34), result, target, verdict));
}

bool failed(Context &ctx, const QString &what, const QString &why)
{
    if (why.isEmpty())
        return false;
    ctx.broken = true;
    out(QStringLiteral("   ERROR in %1: %2").arg(what, why));
    return true;
}

// The error of a step that failed, nothing for one that did not.
QString unless(bool ok, const QString &error) { return ok ? QString() : error; }

// Why a window run's list is not what was expected; empty when it is.
QString wrongRows(const Timed &w, int rows, int ticked)
{
    if (!w.ok)
        return w.error;
    const int gotRows = resultField(w.out, QStringLiteral("rows")).toInt();
    const int gotTicked = resultField(w.out, QStringLiteral("ticked")).toInt();
    if (gotRows == rows && gotTicked == ticked)
        return {};
    return QStringLiteral("%1 rows with %2 ticked, expected %3 with %4")
        .arg(gotRows)
        .arg(gotTicked)
        .arg(rows)
        .arg(ticked);
}

void verbose(const Context &ctx, const QString &text)
{
    if (ctx.verbose)
        out(QLatin1String("   ") + text);
}

// One window run in a child process; its "ms" and whatever else it printed.
Timed window(Context &ctx, const QString &action, const QString &dir)
{
    Timed t = runProcess(ctx.self, {QStringLiteral("--window"), action, dir}, dir);
    if (t.ok) {
        t.ms = resultField(t.out, QStringLiteral("ms")).toDouble();
        if (resultField(t.out, QStringLiteral("platform")) != QLatin1String("xcb"))
            out(QStringLiteral("   note: the window ran on %1, not xcb: X round trips are not measured")
                    .arg(resultField(t.out, QStringLiteral("platform"))));
    }
    verbose(ctx, action + QLatin1String(": ") + QString::fromUtf8(t.out).trimmed());
    return t;
}

QString dataLine(const DataSet &set)
{
    qint64 largest = 0;
    for (const Member &m : set.members)
        largest = qMax(largest, m.size);
    return QStringLiteral("   data: %1 files to pack, %2 MB (largest %3 MB)")
        .arg(kEn.toString(set.members.size()))
        .arg(set.bytes() / 1e6, 0, 'f', 1)
        .arg(largest / 1e6, 0, 'f', 1);
}

} // namespace

namespace {

// One build-sized side: how to run it once (its output already removed and
// the disk settled), and its best time.
struct Side {
    QString name;
    std::function<Timed()> run;
    Best best;
};

// A fresh start for every side: its output removed, and everything dirty
// (that output's freed blocks included) written back before the clock starts.
void removeAndSettle(const QString &output)
{
    QFile::remove(output);
    settle();
}

} // namespace

void buildFigures(Context &ctx)
{
    const QString dir = ctx.tmp + QStringLiteral("/build");
    DataSet set;
    QString error;
    if (failed(ctx, QStringLiteral("generating the build data"), unless(makeBuildSet(dir, set, error), error)) ||
        failed(ctx, QStringLiteral("writing the profile"), unless(writeProfile(dir, set.rows(), error), error)))
        return;
    out(dataLine(set));
    const QString pack = dir + QStringLiteral("/Data.Pak");
    // Every side writes the pack's own file, each removing the last side's
    // output first: where a file lands on disk and what was freed just
    // before moves a run's time by a third here (the same copier took 1.31x
    // as long, median, writing Data.Pak as writing a file beside the project).
    const QStringList files = set.relativePaths();
    const auto profile = [&](bool masked) {
        return failed(ctx, QStringLiteral("writing the profile"),
                      unless(writeProfile(dir, set.rows(), error, masked), error));
    };
    // A command, then fdatasync of what it wrote: the data on disk, as a build's commit leaves it.
    const auto synced = [&](const QString &program, const QStringList &args, const QString &output,
                            const QString &stdoutFile) {
        removeAndSettle(output);
        Timed t = runProcess(program, args, dir, stdoutFile);
        if (!t.ok)
            return t;
        const Timed s = syncFile(output);
        t.ok = s.ok;
        t.error = s.error;
        t.ms += s.ms;
        return t;
    };
    // A build, its pack checked before its time counts.
    const auto checked = [&](Timed t, bool masked) {
        if (t.ok) {
            t.error = checkPack(pack, set, masked);
            t.ok = t.error.isEmpty();
        }
        return t;
    };
    const auto windowBuild = [&](bool masked) {
        if (profile(false))
            return Timed{false, 0, QStringLiteral("no profile"), {}};
        removeAndSettle(pack);
        return checked(window(ctx, masked ? QStringLiteral("build-masked") : QStringLiteral("build"), dir), masked);
    };
    const auto pakBuild = [&](bool masked) {
        if (profile(masked))
            return Timed{false, 0, QStringLiteral("no profile"), {}};
        removeAndSettle(pack);
        return checked(runProcess(ctx.pakTool, {QStringLiteral("build"), QStringLiteral("--quiet"), dir}, dir), masked);
    };

    std::vector<Side> sides;
    if (!ctx.copyTool.isEmpty())
        sides.push_back({QStringLiteral("direct-I/O copy"),
                         [&] { return synced(ctx.copyTool, QStringList{pack} + files, pack, {}); }, {}});
    sides.push_back({QStringLiteral("cat + fdatasync"),
                     [&] { return synced(QStringLiteral("cat"), files, pack, pack); }, {}});
    sides.push_back({QStringLiteral("tar -cf + fdatasync"),
                     [&] {
                         return synced(QStringLiteral("tar"), QStringList{QStringLiteral("-cf"), pack} + files, pack,
                                       {});
                     },
                     {}});
    sides.push_back({QStringLiteral("window build, plain"), [&] { return windowBuild(false); }, {}});
    sides.push_back({QStringLiteral("window build, masked"), [&] { return windowBuild(true); }, {}});
    if (!ctx.pakTool.isEmpty()) {
        sides.push_back({QStringLiteral("wrenfold-pak build, plain"), [&] { return pakBuild(false); }, {}});
        sides.push_back({QStringLiteral("wrenfold-pak build, masked"), [&] { return pakBuild(true); }, {}});
    }

    // Warm: the files in the page cache, every program loaded once.
    for (Side &side : sides)
        if (failed(ctx, side.name, side.run().error))
            return;
    // Each round runs the sides in an order of its own (the same in every
    // bench): what the side before left on the disk moves a run's time.
    std::vector<size_t> order(sides.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::mt19937 shuffler(2026);
    for (int run = 0; run < ctx.buildRuns && !stopRequested(); ++run) {
        std::shuffle(order.begin(), order.end(), shuffler);
        for (size_t k : order) {
            Side &side = sides[k];
            const Timed t = side.run();
            if (failed(ctx, side.name, t.error))
                return;
            side.best.add(t.ms);
            verbose(ctx, QStringLiteral("%1 %2").arg(side.name, secs(t.ms)));
        }
    }
    profile(false);
    QDir(dir).removeRecursively();
    if (stopRequested())
        return;

    const auto find = [&](const char *name) -> const Best * {
        for (const Side &side : sides)
            if (side.name.startsWith(QLatin1String(name)))
                return &side.best;
        return nullptr;
    };
    const Best *direct = find("direct"), *cat = find("cat"), *tar = find("tar");
    for (const Side &side : sides)
        if (!side.name.contains(QLatin1String("build")))
            out(QStringLiteral("   %1 %2 (%3), median %4").arg(side.name.leftJustified(30), secs(side.best.best),
                                                             mbps(set.bytes(), side.best.best),
                                                             secs(side.best.median())));
    // The limit is the fastest program here that puts the same bytes on disk,
    // best against best and median against median: as a rule the direct-I/O
    // copier, but now and then this disk lets cat + fdatasync beat it.
    const bool directBest = direct && direct->best <= cat->best;
    const bool directMedian = direct && direct->median() <= cat->median();
    const double limitBest = directBest ? direct->best : cat->best;
    const double limitMedian = directMedian ? direct->median() : cat->median();
    out(QStringLiteral("   the limit: best %1 (%2), median %3 (%4)")
            .arg(secs(limitBest), QLatin1String(directBest ? "direct-I/O copy" : "cat + fdatasync"),
                 secs(limitMedian), QLatin1String(directMedian ? "direct-I/O copy" : "cat + fdatasync")));
    const char *ids[] = {"1", "2", "7", "8"};
    int id = 0;
    for (const Side &side : sides) {
        if (!side.name.contains(QLatin1String("build")))
            continue;
        const double b = side.best.best;
        // The medians beside the bests: how a typical run compares.
        const QString result = QStringLiteral("%1 (%2): %3 the limit, %4 tar; medians %5 the limit")
                                   .arg(secs(b), mbps(set.bytes(), b), times(b / limitBest), times(b / tar->best),
                                        times(side.best.median() / limitMedian));
        figure(ctx, ids[id++], side.name, result, QStringLiteral("<= 1.15x the limit, < tar"),
               b <= 1.15 * limitBest && b < tar->best);
    }
}

void bigMemberFigures(Context &ctx)
{
    const QString dir = ctx.tmp + QStringLiteral("/big");
    DataSet set;
    QString error;
    if (failed(ctx, QStringLiteral("generating the big member"), unless(makeBigMemberSet(dir, set, error), error)) ||
        failed(ctx, QStringLiteral("writing the profile"), unless(writeProfile(dir, set.rows(), error), error)))
        return;
    out(dataLine(set));
    // The first build writes the old pack every measured build then replaces,
    // as a rebuild does: dropping the old 1.5 GiB file is part of the commit.
    Best gap, idleGap, grow, ms;
    for (int run = -1; run < ctx.runs && !stopRequested(); ++run) {
        settle();
        const Timed w = window(ctx, QStringLiteral("big"), dir);
        const QString pack = dir + QStringLiteral("/Data.Pak");
        if (failed(ctx, QStringLiteral("the window's build"), w.ok ? checkPack(pack, set, false) : w.error))
            return;
        if (run < 0)
            continue;
        gap.add(resultField(w.out, QStringLiteral("gap")).toDouble());
        idleGap.add(resultField(w.out, QStringLiteral("idlegap")).toDouble());
        const double peakKiB = resultField(w.out, QStringLiteral("peakkib")).toDouble();
        grow.add((peakKiB - resultField(w.out, QStringLiteral("idlekib")).toDouble()) / 1024.0);
        ms.add(w.ms);
    }
    QDir(dir).removeRecursively();
    if (stopRequested())
        return;
    figure(ctx, "3", QStringLiteral("longest stretch without a turn"),
           QStringLiteral("%1 ms (worst run %2 ms) while packing 1.5 GiB in %3; idle window %4 ms")
               .arg(gap.best, 0, 'f', 1)
               .arg(gap.worst, 0, 'f', 1)
               .arg(secs(ms.best))
               .arg(idleGap.best, 0, 'f', 1),
           QStringLiteral("<= 100 ms (aim 25 ms)"), gap.best <= 100);
    figure(ctx, "4", QStringLiteral("peak memory packing 1.5 GiB"),
           QStringLiteral("+%1 MiB over the idle program (worst run +%2 MiB)")
               .arg(grow.best, 0, 'f', 1)
               .arg(grow.worst, 0, 'f', 1),
           QStringLiteral("<= +32 MiB"), grow.best <= 32);
}

void manyFilesFigures(Context &ctx)
{
    const QString dir = ctx.tmp + QStringLiteral("/many");
    DataSet set;
    QString error;
    if (failed(ctx, QStringLiteral("generating 100,000 files"), unless(makeManyFilesSet(dir, set, error), error)))
        return;
    out(QStringLiteral("   data: %1 files in 2,000 folders").arg(kEn.toString(set.members.size())));
    QStringList ticked;
    for (int i = 0; i < set.members.size(); i += 10)
        ticked << set.members[i].row;
    // Every file once, the profile included: Select All ticks its row too.
    const QStringList everyFile = set.relativePaths() << QStringLiteral("PakProfile.QXT");
    const int rows = int(everyFile.size());
    const QStringList findArgs = {dir, QStringLiteral("-type"), QStringLiteral("f")};
    const auto find = [&] { return runProcess(QStringLiteral("find"), findArgs, dir, QStringLiteral("/dev/null")); };
    // The profile ticks every tenth row for start-up, none for Select All.
    const auto profile = [&](const QStringList &tick) {
        return failed(ctx, QStringLiteral("writing the profile"), unless(writeProfile(dir, tick, error), error));
    };
    if (failed(ctx, QStringLiteral("find"), find().error) ||
        failed(ctx, QStringLiteral("stat"), statAll(dir, everyFile).error))
        return;

    Best findBest, startup, statBest, selectAll;
    for (int run = 0; run < ctx.runs && !stopRequested(); ++run) {
        const Timed f = find();
        if (failed(ctx, QStringLiteral("find"), f.error) || profile(ticked))
            return;
        findBest.add(f.ms);
        Timed w = window(ctx, QStringLiteral("startup"), dir);
        if (failed(ctx, QStringLiteral("start-up"), wrongRows(w, rows, int(ticked.size()))))
            return;
        startup.add(w.ms);

        statBest.add(statAll(dir, everyFile).ms);
        if (profile({}))
            return;
        w = window(ctx, QStringLiteral("selectall"), dir);
        if (failed(ctx, QStringLiteral("Select All"), wrongRows(w, rows, rows)))
            return;
        selectAll.add(w.ms);
    }
    QDir(dir).removeRecursively();
    if (stopRequested())
        return;
    figure(ctx, "5", QStringLiteral("Select All, 100,001 rows, vs stat"),
           QStringLiteral("%1; stat of every file %2: %3")
               .arg(secs(selectAll.best), secs(statBest.best), times(selectAll.best / statBest.best)),
           QStringLiteral("<= 3x"), selectAll.best / statBest.best <= 3);
    figure(ctx, "6", QStringLiteral("start-up to idle vs find -type f"),
           QStringLiteral("%1; find %2: %3")
               .arg(secs(startup.best), secs(findBest.best), times(startup.best / findBest.best)),
           QStringLiteral("<= 3x"), startup.best / findBest.best <= 3);
}

} // namespace bench
