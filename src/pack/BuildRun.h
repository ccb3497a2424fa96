#pragma once
// One build from click (or command) to file: the count check, the pack
// written row by row, the commit and the append. The window and the command
// line both run it and only present its outcome.
#include "pack/BuildPlan.h"
#include <QStringList>
#include <functional>

namespace wf {

// Where a build has got to, for a progress report.
struct BuildProgress {
    int row = 0;        // the plan's row being reached or packed
    int packed = 0;     // members packed so far
    qint64 bytes = 0;   // member bytes written so far
};

// What the caller lends the build. Any of them may be empty.
struct BuildHooks {
    // Whether the plan's row is to be packed, asked when the build reaches
    // it (after the turn before it), so a tick changed meanwhile counts.
    // Empty: every row of the plan is packed.
    std::function<bool(int row)> ticked;
    // A turn for the caller: before every row, between the chunks of a
    // member and after every member. The window handles its events here
    // (they may tick rows or change the append options); the command line
    // draws its progress.
    std::function<void(const BuildProgress &)> turn;
    // Asked after every turn; true abandons the build there.
    std::function<bool()> stop;
};

enum class BuildOutcome {
    Built,           // and appended, when asked
    BuiltExeMissing, // Data.Pak built; the executable to append to is not there
    AppendFailed,    // Data.Pak built; the executable unchanged
    Failed,          // the earlier Data.Pak unchanged
    Stopped,         // abandoned by `stop`; the earlier Data.Pak unchanged
};

struct BuildResult {
    BuildOutcome outcome = BuildOutcome::Failed;
    // What to tell the user, one paragraph each; empty for Built and Stopped.
    QStringList message;
    int packed = 0;
    qint64 bytes = 0;   // member bytes packed
    bool reachedEnd = false; // every row was reached
};

// Runs the build `plan` describes in the project directory. The key and the
// rows are read at the start; `plan.append` and `plan.exeName` only after
// the commit, so a caller whose turns change them (the window, whose
// options stay live) has the change count.
BuildResult runBuild(const BuildPlan &plan, const BuildHooks &hooks);

} // namespace wf
