// Arbitrary bytes as an engine's replies to the runner's reply parser. The
// first byte picks the parser and whether the reply has settled; the rest is
// the reply. A complete answer is a finite shot with spin 0 or 1 within the
// bytes received, and is the same answer when only its own bytes arrive; a
// malformed one says why; past MAX_REPLY_BYTES the parser stops waiting for
// more; quoting gives short printable text.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "protocol/reply_parser.h"

namespace {

void Require(bool kept, const char *promise, std::string_view reply)
{
    if (!kept) {
        std::fprintf(stderr, "broken promise: %s (reply \"%s\")\n", promise, QuoteReply(reply).c_str());
        std::abort();
    }
}

bool Waiting(ReplyStatus status)
{
    return status == ReplyStatus::Incomplete || status == ReplyStatus::Settling;
}

void CheckCommon(const Reply &reply, std::string_view received)
{
    if (reply.status == ReplyStatus::Malformed)
        Require(!reply.problem.empty(), "a malformed reply says what is wrong", received);
    if (reply.status == ReplyStatus::Complete)
        Require(reply.consumed > 0 && reply.consumed <= received.size(), "a complete reply lies within the bytes",
                received);
    if (received.size() > MAX_REPLY_BYTES)
        Require(!Waiting(reply.status), "no reply longer than MAX_REPLY_BYTES is waited on", received);
}

bool SameShot(const ShotVector &a, const ShotVector &b)
{
    return std::memcmp(&a.vx, &b.vx, sizeof a.vx) == 0 && std::memcmp(&a.vy, &b.vy, sizeof a.vy) == 0 &&
           a.spin == b.spin;
}

void CheckBestShot(std::string_view received, bool settled)
{
    const Reply reply = ParseBestShot(received, settled);
    CheckCommon(reply, received);
    if (settled)
        Require(reply.status != ReplyStatus::Settling, "a settled reply is not left settling", received);
    if (reply.status != ReplyStatus::Complete)
        return;
    Require(std::isfinite(reply.shot.vx) && std::isfinite(reply.shot.vy) && reply.shot.spin <= 1,
            "a complete BESTSHOT is a finite shot with spin 0 or 1", received);
    const Reply own = ParseBestShot(received.substr(0, reply.consumed), true);
    Require(own.status == ReplyStatus::Complete && own.consumed == reply.consumed && SameShot(own.shot, reply.shot),
            "a reply's own bytes give the same answer", received);
    if (!settled) {
        const Reply later = ParseBestShot(received, true);
        Require(later.status == ReplyStatus::Complete && SameShot(later.shot, reply.shot),
                "settling does not change a complete answer", received);
    }
}

void CheckReadyOk(std::string_view received)
{
    const Reply reply = ParseReadyOk(received);
    CheckCommon(reply, received);
    if (reply.status == ReplyStatus::Complete)
        Require(reply.consumed >= 7, "a complete READYOK spans the keyword", received);
}

void CheckQuote(std::string_view received)
{
    const std::string quoted = QuoteReply(received);
    Require(quoted.size() <= 80 * 4 + 3, "quoted text is short", received);
    for (const char c : quoted)
        Require(c >= 0x20 && c < 0x7f, "quoted text is printable", received);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t mode = data[0];
    const std::string_view received(reinterpret_cast<const char *>(data + 1), size - 1);
    if (mode % 2 == 0)
        CheckBestShot(received, (mode & 2) != 0);
    else
        CheckReadyOk(received);
    CheckQuote(received);
    return 0;
}
