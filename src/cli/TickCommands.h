#pragma once
#include <QStringList>

namespace wf {

// `wrenfold-pak tick [-C PROJECT_DIR] [--dry-run] PATTERN...` and `untick`.
// args[0] is the command's name as its usage shows it. Exit status: 0 done,
// 1 a pattern chose nothing (nothing written) or the write failed, 2 bad usage.
int tickCommand(const QStringList &args);
int untickCommand(const QStringList &args);

} // namespace wf
