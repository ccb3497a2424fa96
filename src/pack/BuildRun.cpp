#include "pack/BuildRun.h"
#include "options/RandomSource.h"
#include "pack/PackBuild.h"
#include <algorithm>

namespace wf {

namespace {

BuildResult failed(QString reason)
{
    BuildResult r;
    r.outcome = BuildOutcome::Failed;
    r.message = packKeptMessage(reason).split(QStringLiteral("\n\n"));
    return r;
}

BuildResult stopped()
{
    BuildResult r;
    r.outcome = BuildOutcome::Stopped;
    return r;
}

} // namespace

BuildResult runBuild(const BuildPlan &plan, const BuildHooks &hooks)
{
    const int rows = int(plan.rows.size());
    const auto isTicked = [&](int row) { return !hooks.ticked || hooks.ticked(row); };
    int count = 0;
    for (int row = 0; row < rows; ++row)
        count += isTicked(row) ? 1 : 0;
    QString error;
    if (!checkTickedCount(count, error))
        return failed(error);

    // The shared random source: its fixed starting state makes the first
    // build of a run the same from the window and the command line.
    PackBuild pack(plan.key, RandomSource::shared());
    BuildProgress progress;
    qint64 headerBytes = 0; // before the first member: no progress
    const auto turn = [&] {
        if (hooks.turn) {
            progress.bytes = pack.bytesWritten() - headerBytes;
            hooks.turn(progress);
        }
        return !hooks.stop || !hooks.stop();
    };
    pack.betweenChunks = turn;
    if (!pack.open(error))
        return failed(error);
    headerBytes = pack.bytesWritten();
    for (; progress.row < rows; ++progress.row) {
        if (!turn())
            return stopped();
        if (isTicked(progress.row)) {
            if (!pack.add(plan.rows[progress.row], error))
                return error.isEmpty() || (hooks.stop && hooks.stop()) ? stopped() : failed(error);
            ++progress.packed;
        }
    }
    const qint64 memberBytes = pack.bytesWritten() - headerBytes;
    if (!pack.commit(error)) {
        BuildResult r = failed(error);
        r.reachedEnd = true;
        return r;
    }

    BuildResult r;
    r.packed = progress.packed;
    r.bytes = memberBytes;
    r.reachedEnd = true;
    r.outcome = BuildOutcome::Built;
    if (!plan.append)
        return r;
    switch (appendToExecutable(plan.exeName, plan.key.mask, error)) {
    case AppendOutcome::Appended:
        break;
    case AppendOutcome::ExecutableNotFound:
        r.outcome = BuildOutcome::BuiltExeMissing;
        r.message = QStringList{QString::fromLatin1(kExeNotFoundMessage)};
        break;
    case AppendOutcome::Failed:
        r.outcome = BuildOutcome::AppendFailed;
        r.message = QStringList{error};
        break;
    }
    return r;
}

} // namespace wf
