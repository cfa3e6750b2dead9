#pragma once

#include <string>

namespace match::process {

enum class PipeRead { Data, Closed, Interrupted };

// One read of up to 4 KiB from fd appended to sink: Data, Interrupted by a
// signal before anything came, or Closed at the end of the stream, on an
// error, or for a non-blocking fd when nothing is left.
PipeRead AppendFromPipe(int fd, std::string &sink);

}  // namespace match::process
