#include "process/pipe_read.h"

#include <cerrno>
#include <unistd.h>

namespace match::process {

PipeRead AppendFromPipe(int fd, std::string &sink)
{
    char chunk[4096];
    ssize_t got = read(fd, chunk, sizeof chunk);
    if (got > 0) {
        sink.append(chunk, static_cast<std::size_t>(got));
        return PipeRead::Data;
    }
    return got < 0 && errno == EINTR ? PipeRead::Interrupted : PipeRead::Closed;
}

}  // namespace match::process
