#include "protocol/reply_parser.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr std::string_view BESTSHOT = "BESTSHOT";
constexpr std::string_view READYOK = "READYOK";

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

Reply Malformed(std::string problem)
{
    Reply reply;
    reply.status = ReplyStatus::Malformed;
    reply.problem = std::move(problem);
    return reply;
}

Reply TooLong(const char *expected)
{
    return Malformed("sent more than " + std::to_string(MAX_REPLY_BYTES) + " bytes without a complete " + expected + " reply");
}

struct Token {
    std::string_view text;
    std::size_t end; // offset just past the token
    bool whole;      // white space follows it
};

// Tokens separated by white space, up to limit of them.
std::vector<Token> Tokens(std::string_view text, std::size_t limit)
{
    std::vector<Token> tokens;
    std::size_t at = 0;
    while (tokens.size() < limit) {
        while (at < text.size() && IsSpace(text[at]))
            ++at;
        if (at == text.size())
            break;
        std::size_t start = at;
        while (at < text.size() && !IsSpace(text[at]))
            ++at;
        tokens.push_back({text.substr(start, at - start), at, at < text.size()});
    }
    return tokens;
}

// A whole token that is a number whose single-precision value is finite.
bool ParseCoordinate(std::string_view token, float &value, std::string &problem)
{
    std::string text(token);
    char *end = nullptr;
    errno = 0;
    double number = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0') {
        problem = "\"" + QuoteReply(token) + "\" is not a number";
        return false;
    }
    value = static_cast<float>(number);
    if (!std::isfinite(value)) {
        problem = "\"" + QuoteReply(token) + "\" is not a finite number";
        return false;
    }
    return true;
}

} // namespace

Reply ParseBestShot(std::string_view received, bool settled)
{
    std::vector<Token> tokens = Tokens(received, 4);
    if (tokens.empty())
        return received.size() > MAX_REPLY_BYTES ? Malformed("sent only white space") : Reply{};
    std::string_view keyword = tokens[0].text;
    bool keywordOpen = !tokens[0].whole && tokens.size() == 1;
    if (keywordOpen && keyword.size() < BESTSHOT.size() && EqualIgnoringCase(keyword, BESTSHOT.substr(0, keyword.size())))
        return received.size() > MAX_REPLY_BYTES ? TooLong("BESTSHOT") : Reply{};
    if (!EqualIgnoringCase(keyword, BESTSHOT))
        return Malformed("answered \"" + QuoteReply(received) + "\", not a BESTSHOT reply");
    if (tokens.size() < 4 || (!tokens[3].whole && !settled)) {
        if (received.size() > MAX_REPLY_BYTES)
            return TooLong("BESTSHOT");
        Reply pending;
        pending.status = tokens.size() == 4 ? ReplyStatus::Settling : ReplyStatus::Incomplete;
        return pending;
    }

    Reply reply;
    std::string problem;
    if (!ParseCoordinate(tokens[1].text, reply.shot.vx, problem) || !ParseCoordinate(tokens[2].text, reply.shot.vy, problem))
        return Malformed("answered \"" + QuoteReply(received.substr(0, tokens[3].end)) + "\": " + problem);
    std::string_view spin = tokens[3].text;
    if (spin != "0" && spin != "1")
        return Malformed("answered \"" + QuoteReply(received.substr(0, tokens[3].end)) + "\": spin \"" + QuoteReply(spin) + "\" is neither 0 nor 1");
    reply.shot.spin = spin == "1" ? 1 : 0;
    reply.status = ReplyStatus::Complete;
    reply.consumed = tokens[3].end;
    return reply;
}

Reply ParseReadyOk(std::string_view received)
{
    std::size_t start = 0;
    while (start < received.size() && IsSpace(received[start]))
        ++start;
    std::string_view rest = received.substr(start);
    std::size_t compared = rest.size() < READYOK.size() ? rest.size() : READYOK.size();
    if (!EqualIgnoringCase(rest.substr(0, compared), READYOK.substr(0, compared)))
        return Malformed("answered ISREADY with \"" + QuoteReply(received) + "\" instead of READYOK");
    if (compared < READYOK.size())
        return received.size() > MAX_REPLY_BYTES ? TooLong("READYOK") : Reply{};
    Reply reply;
    reply.status = ReplyStatus::Complete;
    reply.consumed = start + READYOK.size();
    return reply;
}

std::string QuoteReply(std::string_view received)
{
    constexpr std::size_t SHOWN = 80;
    std::string quoted;
    for (std::size_t i = 0; i < received.size() && i < SHOWN; ++i) {
        auto byte = static_cast<unsigned char>(received[i]);
        if (byte == '"' || byte == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(byte);
        } else if (std::isprint(byte)) {
            quoted += static_cast<char>(byte);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            quoted += escaped;
        }
    }
    if (received.size() > SHOWN)
        quoted += "...";
    return quoted;
}
