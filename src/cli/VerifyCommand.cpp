// Placeholder until the reader-based command lands.
#include "cli/ReadCommands.h"
#include <cstdio>

namespace wf {

int verifyCommand(const QStringList &)
{
    std::fputs("wrenfold-pak: verify is not available yet\n", stderr);
    return 2;
}

} // namespace wf
