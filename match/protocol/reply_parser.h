#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "tessival.h"

// Replies carry no terminator, so a reader calls these on everything received
// so far and reads on while the answer is Incomplete.
enum class ReplyStatus {
    Incomplete, // more bytes are needed
    Settling,   // complete unless more bytes of the last token follow: read on
                // for a short quiet period, then parse again with settled set
    Complete,
    Malformed,
};

struct Reply {
    ReplyStatus status = ReplyStatus::Incomplete;
    ShotVector shot{};
    std::size_t consumed = 0; // bytes of the buffer the complete reply took
    std::string problem;      // what was wrong, for Malformed
};

// Longest reply accepted; a longer one without a complete answer is garbage.
constexpr std::size_t MAX_REPLY_BYTES = 1024;

// "BESTSHOT vx vy spin": the keyword in any case, then two finite numbers and
// a spin of 0 or 1, separated by white space. settled: no byte arrived during
// the quiet period, so the last token is whole.
Reply ParseBestShot(std::string_view received, bool settled);

// "READYOK", white space around it allowed.
Reply ParseReadyOk(std::string_view received);

// The text of a reply fit for a message: non-printable bytes escaped, long
// text shortened.
std::string QuoteReply(std::string_view received);
