// Arbitrary bytes as an engine's replies to the runner's reply parser. The
// first byte picks the parser; the rest is what was received. A complete
// answer is a finite shot with spin 0 or 1 within the bytes received, the
// same answer when only its own bytes arrive, and recorded without white
// space around it; a malformed one says why. Verdicts hold as bytes arrive:
// every prefix is still waiting or already judged the same way, a complete
// reply being spoilt only by words on its own line. Past MAX_REPLY_BYTES the
// parser stops waiting for more; quoting gives short printable text.
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "protocol/reply_parser.h"

using namespace match::protocol;

namespace {

using Parser = Reply (*)(std::string_view);

void Require(bool kept, const char *promise, std::string_view reply)
{
    if (!kept) {
        std::fprintf(stderr, "broken promise: %s (reply \"%s\")\n", promise, QuoteReply(reply).c_str());
        std::abort();
    }
}

bool Trimmed(const std::string &text)
{
    return text.empty() || (std::isspace(static_cast<unsigned char>(text.front())) == 0 &&
                            std::isspace(static_cast<unsigned char>(text.back())) == 0);
}

bool SameShot(const ShotVector &a, const ShotVector &b)
{
    return std::memcmp(&a.vx, &b.vx, sizeof a.vx) == 0 && std::memcmp(&a.vy, &b.vy, sizeof a.vy) == 0 &&
           a.spin == b.spin;
}

void CheckCommon(const Reply &reply, std::string_view received)
{
    Require(Trimmed(reply.text), "a reply's text has no white space around it", received);
    if (reply.status == ReplyStatus::Malformed)
        Require(!reply.problem.empty(), "a malformed reply says what is wrong", received);
    if (reply.status == ReplyStatus::Complete)
        Require(reply.consumed > 0 && reply.consumed <= received.size() && !reply.text.empty(),
                "a complete reply lies within the bytes", received);
    if (received.size() > MAX_REPLY_BYTES)
        Require(reply.status != ReplyStatus::Incomplete, "no reply longer than MAX_REPLY_BYTES is waited on", received);
}

// The verdict on fewer bytes stands once more arrive.
void CheckPrefixes(Parser parse, const Reply &reply, std::string_view received)
{
    for (std::size_t length = 0; length < received.size() && length <= MAX_REPLY_BYTES; ++length) {
        const Reply early = parse(received.substr(0, length));
        if (early.status == ReplyStatus::Malformed)
            Require(reply.status == ReplyStatus::Malformed, "a malformed reply stays malformed", received);
        if (early.status != ReplyStatus::Complete)
            continue;
        Require(reply.text.starts_with(early.text), "more bytes judge the same reply", received);
        if (reply.status == ReplyStatus::Complete)
            Require(SameShot(early.shot, reply.shot), "more bytes do not change a complete answer", received);
    }
}

void Check(Parser parse, std::string_view received)
{
    const Reply reply = parse(received);
    CheckCommon(reply, received);
    CheckPrefixes(parse, reply, received);
    if (reply.status != ReplyStatus::Complete)
        return;
    Require(std::isfinite(reply.shot.vx) && std::isfinite(reply.shot.vy) && reply.shot.spin <= 1,
            "a complete reply is a finite shot with spin 0 or 1", received);
    const Reply own = parse(received.substr(0, reply.consumed));
    Require(own.status == ReplyStatus::Complete && own.consumed == reply.consumed && SameShot(own.shot, reply.shot) &&
                own.text == reply.text,
            "a reply's own bytes give the same answer", received);
}

void CheckQuote(std::string_view received)
{
    const std::string quoted = QuoteReply(received);
    Require(quoted.size() <= 80 * 4 + 3, "quoted text is short", received);
    for (const char c : quoted)
        Require(c >= 0x20 && c < 0x7f, "quoted text is printable", received);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view received(reinterpret_cast<const char *>(data + 1), size - 1);
    Check(data[0] % 2 == 0 ? ParseBestShot : ParseReadyOk, received);
    CheckQuote(received);
    return 0;
}
