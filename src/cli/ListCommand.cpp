// Placeholder until the reader-based command lands.
#include "cli/ReadCommands.h"
#include <cstdio>

namespace wf {

int listCommand(const QStringList &)
{
    std::fputs("wrenfold-pak: list is not available yet\n", stderr);
    return 2;
}

} // namespace wf
