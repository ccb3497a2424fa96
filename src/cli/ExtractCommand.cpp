// Placeholder until the reader-based command lands.
#include "cli/ReadCommands.h"
#include <cstdio>

namespace wf {

int extractCommand(const QStringList &)
{
    std::fputs("wrenfold-pak: extract is not available yet\n", stderr);
    return 2;
}

} // namespace wf
