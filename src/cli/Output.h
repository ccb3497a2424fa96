#pragma once
// Every command's standard output and standard error are checked when it
// ends: output lost to a full device or a failing disk must not pass for
// success.

namespace wf {

// Called before a command runs.
void prepareOutput();

// Flushes both streams and returns the exit status: `status`, or 1 when a
// write to either failed (said on standard error while that still works).
// A reader that closed its pipe early (`| head`) is no failure.
int finishOutput(int status);

} // namespace wf
