#include "cli/Output.h"
#include "platform/Streams.h"
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace wf {

void prepareOutput()
{
    platform::ignoreBrokenPipe();
}

int finishOutput(int status)
{
    errno = 0;
    const bool flushFailed = std::fflush(stdout) != 0;
    const int reason = flushFailed ? errno : 0;
    const int failed = status == 1 || status == 2 ? status : 1;
    if ((flushFailed || std::ferror(stdout)) && !platform::readerGone(STDOUT_FILENO)) {
        if (reason != 0)
            std::fprintf(stderr, "wrenfold-pak: cannot write standard output: %s\n", std::strerror(reason));
        else
            std::fputs("wrenfold-pak: cannot write standard output\n", stderr);
        status = failed;
    }
    if ((std::fflush(stderr) != 0 || std::ferror(stderr)) && !platform::readerGone(STDERR_FILENO))
        status = failed;
    return status;
}

} // namespace wf
