#pragma once
// Standard output and standard error as the command-line tool checks them.

namespace wf::platform {

// A write to a pipe whose reader has gone then fails with an error the
// program sees, instead of ending it by a signal in the middle of a build.
void ignoreBrokenPipe();

// True when `fd` is a pipe or socket whose reading end is closed: the
// reader (`head`, say) stopped early, after the output it wanted.
bool readerGone(int fd);

} // namespace wf::platform
