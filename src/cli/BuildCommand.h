#pragma once
#include <QStringList>

namespace wf {

// `wrenfold-pak build [PROJECT_DIR]`. args[0] is the command's name as shown
// in its usage text. Exit status: 0 built (and appended when asked), 1 the
// build failed, 2 bad usage, 3 built but the executable was not found, 4
// built but the profile names files that are not in the project, or none.
int buildCommand(const QStringList &args);

} // namespace wf
