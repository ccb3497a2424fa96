#pragma once
// How the process asks the system for memory.

namespace wf::platform {

// Memory the program frees is kept for its next allocations rather than
// handed back to the system. The start-up builds and drops lists of
// megabytes, and a build its blocks; on some virtual machines each page a
// process touches for the first time costs 10 microseconds or more, which
// made up a third of the start-up on 100,000 files. Call first in main().
void keepFreedMemory();

} // namespace wf::platform
