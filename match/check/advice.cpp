#include "check/advice.h"

namespace match::check {

using protocol::ReplyFault;

namespace {

std::string MalformedAdvice(ReplyFault fault, bool readyOk)
{
    const std::string reply = readyOk ? "READYOK" : "BESTSHOT vx vy spin";
    switch (fault) {
    case ReplyFault::LineEndsEarly:
        return "write the whole reply on one line, " + reply + ", then a line feed or nothing";
    case ReplyFault::WordsAfter:
        return "end the line after the reply (" + reply + "); write anything else to standard error";
    case ReplyFault::BadNumber:
        return "write vx and vy as finite decimal numbers in m/s, e.g. BESTSHOT 0.08 -2.13 0";
    case ReplyFault::BadSpin:
        return "write the spin as one digit, 0 or 1";
    case ReplyFault::TooLong:
        return "answer with the one short line " + reply;
    default:
        return "answer " + std::string(readyOk ? "ISREADY with READYOK" : "GO with BESTSHOT vx vy spin") +
               " and write nothing else on standard output (ignore lines you do not know; diagnostics go to "
               "standard error)";
    }
}

}  // namespace

std::string Advice(Failure failure, ReplyFault fault, bool readyOk)
{
    if (failure == Failure::Malformed)
        return MalformedAdvice(fault, readyOk);
    if (failure == Failure::TimedOut)
        return readyOk ? "answer ISREADY with READYOK as soon as you can take a GO, within the timeout (--timeout), "
                         "and flush standard output after it"
                       : "answer every GO within the timeout (--timeout) and flush standard output after the reply";
    return readyOk ? "make sure the command runs (status 127: not found, 126: not executable) and reads NEWGAME "
                     "and ISREADY from standard input"
                   : "keep reading commands, answering each GO, until your standard input closes";
}

}  // namespace match::check
