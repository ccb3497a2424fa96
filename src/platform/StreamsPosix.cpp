#include "platform/Streams.h"
#include <csignal>
#include <poll.h>

namespace wf::platform {

void ignoreBrokenPipe()
{
    std::signal(SIGPIPE, SIG_IGN);
}

bool readerGone(int fd)
{
    // The writing end of a pipe whose readers are all gone polls as an
    // error; a socket's as hung up. A full device or a regular file does not.
    pollfd p{fd, POLLOUT, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & (POLLERR | POLLHUP)) != 0;
}

} // namespace wf::platform
