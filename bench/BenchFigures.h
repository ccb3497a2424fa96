#pragma once
// The figures of the benchmark, each measured beside its baseline in the
// same run: sides alternate, every side runs warm, the best of `runs` counts.
#include <QString>

namespace bench {

struct Context {
    QString tmp;     // the temporary directory holding all data and outputs
    QString self;    // this program, started again for every window run
    QString pakTool; // the command-line builder, empty while it is not built
    QString copyTool; // the direct-I/O copier, the builds' limit; empty when not built
    int runs = 5;
    // The builds' disk times wander by a third from run to run here, so
    // their best needs more runs to settle; --runs sets both.
    int buildRuns = 15;
    bool verbose = false;
    int met = 0;
    int missed = 0;
    int skipped = 0;
    bool broken = false; // a run failed or built a damaged pack: figures are void
};

// 1, 2, 7 and 8: the window's and wrenfold-pak's builds of ~480 MB in
// ~8,100 files, plain and masked, against the limit (a direct-I/O copy of
// the same files), cat + fdatasync and tar -cf + fdatasync.
void buildFigures(Context &ctx);
// 3 and 4: the event loop and memory while one 1.5 GiB member is packed.
void bigMemberFigures(Context &ctx);
// 5 and 6: Select All and start-up on 100,000 files.
void manyFilesFigures(Context &ctx);

} // namespace bench
