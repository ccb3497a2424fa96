// The game-side reader's speed and memory, each beside its baselines in the
// same run (`make bench`, after the build figures). Best of --runs N per
// side (default 5), sides alternating, all warm.
#include "BenchData.h"
#include "ReaderBench.h"
#include "options/RandomSource.h"
#include "pack/PackWriter.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>

using readerbench::Files;

namespace {

int g_met = 0, g_missed = 0;
bool g_broken = false;

Files filesOf(const bench::DataSet &set)
{
    Files f;
    f.dir = set.dir.toStdString();
    for (const bench::Member &m : set.members) {
        f.names.push_back(QString(m.row).replace(QLatin1Char('\\'), QLatin1Char('/')).toStdString());
        f.bytes += std::uint64_t(m.size);
        f.largest = std::max(f.largest, std::uint64_t(m.size));
    }
    return f;
}

// 10,000 small files in 100 folders, sizes 64 B to 16 KiB.
bool makeTenThousand(const QString &dir, bench::DataSet &set)
{
    set.dir = dir;
    std::uint64_t x = 88172645463325252ull;
    QByteArray data(16 << 10, 'x');
    for (int k = 0; k < 10000; ++k) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        const QString folder = QStringLiteral("area%1/Zone%2").arg(k / 1000, 2, 10, QLatin1Char('0')).arg(k / 100 % 10);
        const QString name = QStringLiteral("Obj%1.dat").arg(k, 5, 10, QLatin1Char('0'));
        const qint64 size = 64 + qint64(x % (16 << 10) - 64 + 1) * (k % 3 == 0 ? 1 : 0) + qint64(x % 2048);
        QDir().mkpath(dir + QLatin1Char('/') + folder);
        QFile f(dir + QLatin1Char('/') + folder + QLatin1Char('/') + name);
        data[0] = char(k);
        if (!f.open(QIODevice::WriteOnly) || f.write(data.constData(), qMin<qint64>(size, data.size())) < 0)
            return false;
        set.members.append({QString(folder).replace(QLatin1Char('/'), QLatin1Char('\\')) + QLatin1Char('\\') + name,
                            qMin<qint64>(size, data.size())});
    }
    return true;
}

bool writePack(const bench::DataSet &set, const QString &path, bool masked)
{
    QFile out(path);
    wf::RandomSource random;
    const wf::PackKey key{masked, {bench::kKey[0], bench::kKey[1], bench::kKey[2], bench::kKey[3]},
                          masked ? bench::kHeaderMask : 0u};
    wf::PackWriter writer(out, QStringLiteral("Data.Pak"), key, random);
    QString error;
    bool ok = out.open(QIODevice::WriteOnly) && writer.begin(error);
    for (const bench::Member &m : set.members) {
        QFile member(set.dir + QLatin1Char('/') + QString(m.row).replace(QLatin1Char('\\'), QLatin1Char('/')));
        ok = ok && member.open(QIODevice::ReadOnly) && writer.addMember(m.row, member, m.size, error);
    }
    ok = ok && writer.finish(error);
    if (!ok)
        std::fprintf(stderr, "reader bench: cannot write %s: %s\n", qPrintable(path), qPrintable(error));
    return ok;
}

bool writeZip(const QString &dir, const QString &zip)
{
    const QString cmd = QStringLiteral("cd '%1' && zip -0 -r -q '%2' .").arg(dir, zip);
    return std::system(cmd.toLocal8Bit().constData()) == 0;
}

// Best of `runs` for each side, the sides taking turns.
std::vector<double> bestOf(int runs, const std::vector<std::function<double()>> &sides)
{
    std::vector<double> best(sides.size(), std::numeric_limits<double>::infinity());
    for (int r = 0; r < runs; ++r) {
        for (std::size_t s = 0; s < sides.size(); ++s) {
            const double ms = sides[s]();
            if (ms < 0)
                g_broken = true;
            best[s] = std::min(best[s], ms < 0 ? best[s] : ms);
        }
    }
    return best;
}

void figure(const char *id, const char *what, double ms, double base, const char *baseName, double target)
{
    const double ratio = ms / base;
    const bool met = ratio <= target;
    (met ? g_met : g_missed)++;
    std::printf("%s %-40s %8.1f ms vs %s %8.1f ms = %.3fx | target <= %.2fx | %s\n", id, what, ms, baseName, base, ratio,
                target, met ? "met" : "MISSED");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int runsAt = int(args.indexOf(QStringLiteral("--runs")));
    const int runs = runsAt > 0 && runsAt + 1 < args.size() ? qMax(1, args[runsAt + 1].toInt()) : 5;
    QTemporaryDir tmp(QDir::tempPath() + QStringLiteral("/wfpak-bench-XXXXXX"));
    tmp.setAutoRemove(qEnvironmentVariableIsEmpty("WFPAK_BENCH_KEEP")); // kept for profiling by hand
    const QString t = tmp.path();
    bench::DataSet game, many;
    QString error;
    std::printf("Reader benchmark: best of %d runs per side, sides alternating, all warm; data in %s\n", runs,
                qPrintable(t));
    std::fflush(stdout);
    if (!bench::makeBuildSet(t + QStringLiteral("/game"), game, error) || !makeTenThousand(t + QStringLiteral("/many"), many)
        || !writePack(game, t + QStringLiteral("/game-plain.pak"), false) || !writePack(game, t + QStringLiteral("/game-masked.pak"), true)
        || !writePack(many, t + QStringLiteral("/many-plain.pak"), false) || !writePack(many, t + QStringLiteral("/many-masked.pak"), true)
        || !writeZip(game.dir, t + QStringLiteral("/game.zip")) || !writeZip(many.dir, t + QStringLiteral("/many.zip"))) {
        std::fprintf(stderr, "reader bench: cannot prepare the data: %s\n", qPrintable(error));
        return 1;
    }
    const Files gameFiles = filesOf(game), manyFiles = filesOf(many);
    const std::string dir = t.toStdString();
    std::printf("   data: %zu files, %.0f MB (largest %.0f MB); %zu small files for the open\n", gameFiles.names.size(),
                double(gameFiles.bytes) / 1e6, double(gameFiles.largest) / 1e6, manyFiles.names.size());

    std::uint64_t sum[5] = {};
    const std::vector<double> open = bestOf(runs, {
        [&] { return readerbench::readerOpenLookup(dir + "/many-plain.pak", manyFiles, false); },
        [&] { return readerbench::readerOpenLookup(dir + "/many-masked.pak", manyFiles, true); },
        [&] { return readerbench::physfsOpenLookup(dir + "/many.zip", manyFiles); },
    });
    const std::vector<double> read = bestOf(runs, {
        [&] { return readerbench::readerReadAll(dir + "/game-plain.pak", false, sum[0]); },
        [&] { return readerbench::readerReadAll(dir + "/game-masked.pak", true, sum[1]); },
        [&] { return readerbench::physfsReadAll(dir + "/game.zip", gameFiles, sum[2]); },
        [&] { return readerbench::looseReadAll(gameFiles, sum[3]); },
        [&] { return readerbench::sequentialPass(dir + "/game-plain.pak"); },
        [&] { return readerbench::sequentialPass(dir + "/game-masked.pak"); },
        [&] { return readerbench::entryPreads(dir + "/game-plain.pak", sum[4]); },
    });
    if (sum[0] != sum[1] || sum[0] != sum[2] || sum[0] != sum[3] || sum[0] != sum[4]) {
        std::printf("   ERROR: the sides read different bytes\n");
        g_broken = true;
    }
    figure("R1", "open + look up 10,000, plain, vs PhysicsFS", open[0], open[2], "PhysicsFS", 0.05);
    figure("R2", "open + look up 10,000, masked, vs PhysicsFS", open[1], open[2], "PhysicsFS", 0.05);
    figure("R3", "read every entry, plain, vs PhysicsFS", read[0], read[2], "PhysicsFS", 0.7);
    figure("R4", "read every entry, masked, vs PhysicsFS", read[1], read[2], "PhysicsFS", 0.7);
    figure("R5", "read every entry, plain, vs one pass", read[0], read[4], "pass", 1.1);
    figure("R6", "read every entry, masked, vs one pass", read[1], read[5], "pass", 1.25);
    std::printf("   loose files (fopen/fread): %.1f ms, the reader plain %.2fx of it\n", read[3], read[0] / read[3]);
    std::printf("   one pread per entry, no reader: %.1f ms (%.2fx the pass), the reader plain %.2fx of it\n", read[6],
                read[6] / read[4], read[0] / read[6]);
    const std::int64_t bytes = readerbench::readerMemory(dir + "/many-masked.pak", manyFiles, true);
    const bool memMet = bytes >= 0 && bytes <= 2.5 * 1048576;
    (memMet ? g_met : g_missed)++;
    std::printf("R7 %-40s %8.2f MiB | target <= 2.50 MiB | %s\n", "reader's heap, 10,000-entry pack open", double(bytes) / 1048576.0,
                memMet ? "met" : "MISSED");
    std::printf("reader: %d met, %d missed%s\n", g_met, g_missed, g_broken ? "; ERROR above" : "");
    return g_broken ? 1 : 0;
}
