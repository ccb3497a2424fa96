#pragma once
// Measuring helpers: timed processes, the baselines, pack checks, memory.
#include "BenchData.h"
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <limits>
#include <vector>

namespace bench {

struct Timed {
    bool ok = false;
    double ms = 0;
    QString error;
    QByteArray out; // standard output, when not sent to a file
};

// Runs `program` in `cwd` to its exit; the time runs from start to exit.
// With `stdoutFile` the output goes there (truncating it), else it is kept.
Timed runProcess(const QString &program, const QStringList &args, const QString &cwd,
                 const QString &stdoutFile = {});

// fdatasync of a file that was just written; the time it took.
Timed syncFile(const QString &path);

// Writes back everything dirty, so one run's write-back does not land in the next.
void settle();

// stat() of every path once, the time it took.
Timed statAll(const QString &dir, const QStringList &relativePaths);

// Checks a finished pack against the members it should hold: header word,
// count word, every index entry (name, size, back-to-back offsets) and the
// first and last 4 KiB of every member. Empty when the pack is whole.
QString checkPack(const QString &packPath, const DataSet &set, bool masked);

// A field of /proc/self/status in KiB (VmRSS, VmHWM); -1 if unreadable.
qint64 statusKiB(const char *field);
// Resets VmHWM to the current VmRSS (Linux clear_refs 5).
bool resetPeak();

// `key=value` pairs of a child's "RESULT ..." line.
QString resultField(const QByteArray &out, const QString &key);

// Best and worst of several runs.
struct Best {
    double best = std::numeric_limits<double>::infinity();
    double worst = 0;
    int runs = 0;
    std::vector<double> all;
    void add(double v)
    {
        best = qMin(best, v);
        worst = qMax(worst, v);
        ++runs;
        all.push_back(v);
    }
    double median() const
    {
        std::vector<double> v = all;
        std::sort(v.begin(), v.end());
        return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    }
};

} // namespace bench
