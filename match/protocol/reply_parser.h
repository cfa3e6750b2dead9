#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "tessival.h"

namespace match::protocol {

// A reader calls these on everything received so far and reads on while the
// answer is Incomplete. A reply is judged as soon as it is whole by its
// grammar or its line ends, so no quiet period is waited for; bytes after a
// judged reply's line belong to the next reply.
enum class ReplyStatus {
    Incomplete,  // more bytes are needed
    Complete,
    Malformed,
};

// What was wrong with a Malformed reply.
enum class ReplyFault {
    None,
    NotTheReply,    // another word where the keyword belongs
    LineEndsEarly,  // a line feed before the reply is whole: a reply split over lines
    WordsAfter,     // words after the reply on its line
    BadNumber,      // vx or vy no finite number
    BadSpin,        // a spin other than 0 or 1
    TooLong,        // MAX_REPLY_BYTES without a whole reply
};

struct Reply {
    ReplyStatus status = ReplyStatus::Incomplete;
    ReplyFault fault = ReplyFault::None;
    ShotVector shot{};
    std::size_t consumed = 0;  // bytes the complete reply took, the rest of its line included
    std::string text;          // the reply so far, without the white space around it
    std::string problem;       // what was wrong, for Malformed
};

// Longest reply accepted; a longer one without a complete answer is garbage.
constexpr std::size_t MAX_REPLY_BYTES = 1024;

// "BESTSHOT vx vy spin" on one line: the keyword in any case, two finite
// numbers and a spin of one digit, 0 or 1, separated by spaces or tabs. The
// spin digit completes the reply; a line feed before it makes the reply
// partial, and words after it on its line are its fault.
Reply ParseBestShot(std::string_view received);

// "READYOK" in any case, whole once its seven letters are in, under the same
// rules for its line.
Reply ParseReadyOk(std::string_view received);

// The text of a reply fit for a message: non-printable bytes escaped, long
// text shortened.
std::string QuoteReply(std::string_view received);

}  // namespace match::protocol
