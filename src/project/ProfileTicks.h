#pragma once
// Ticking and unticking rows without the window: the profile the window
// would write if it were started in the project, the same rows were ticked
// or unticked through its list's menu, and it were closed.
#include "project/Profile.h"
#include "project/RowRules.h"
#include <QStringList>

namespace wf {

struct RefusedRow {
    QString row;
    Refusal why;
};

struct TickOutcome {
    Profile profile;          // complete: what the window writes on closing
    int changed = 0;          // rows whose tick changed
    int unchanged = 0;        // rows the patterns chose that were in that state already
    int dropped = 0;          // profile row lines that name no file
    QVector<RefusedRow> refused; // rows a pattern chose that can never be ticked
    QStringList problems;     // one per pattern that chose nothing, saying so
};

// Applies `patterns` (as the list's Tick Matching and Untick Matching read
// them) to the rows the profile ticks among `walked` (the project's rows,
// any order). Absent profile fields take the window's design-time values.
// With any problem, `profile` is still filled but must not be written.
TickOutcome applyTicks(const Profile &profile, const QStringList &walked, const QStringList &patterns, bool tick);

// Why a row can never be ticked, for people.
QString refusalText(Refusal why);

} // namespace wf
