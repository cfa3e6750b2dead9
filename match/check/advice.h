#pragma once

#include <string>

#include "protocol/reply_parser.h"

namespace match::check {

// How a request to an engine went wrong.
enum class Failure {
    Malformed,  // it answered, but not with the reply asked for
    TimedOut,   // it said nothing, or not all of it, within the timeout
    Lost,       // it ended, or closed its output
};

// What an engine should do instead, in words for its author. readyOk: the
// request was ISREADY, not GO.
std::string Advice(Failure failure, protocol::ReplyFault fault, bool readyOk);

}  // namespace match::check
